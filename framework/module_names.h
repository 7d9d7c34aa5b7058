// Names the framework derives from the executable's own path: the application
// name, the help file and the satellite resource modules it looks for.
// Paths are UTF-16 text; a result that does not fit its buffer is refused.
#pragma once

#include <cstddef>
#include <cstdint>

// The file name without its extension: "C:\dir\App.exe" -> "App".
bool AppNameFromModulePath(const wchar_t* path, wchar_t* name, size_t capacity);

// The path with ".HLP" in place of its extension.
bool HelpFilePath(const wchar_t* path, wchar_t* help, size_t capacity);

// The path without its extension, then `abbreviation`, then ".dll".
bool SatelliteModulePath(const wchar_t* path, const wchar_t* abbreviation,
                         wchar_t* satellite, size_t capacity);

// The languages whose satellites are tried, in order and without repeats: the
// user's and the system's interface languages, then their primary languages.
// Returns how many of the (at most four) entries of `order` are filled.
int SatelliteLanguageOrder(uint16_t userLanguage, uint16_t systemLanguage,
                           uint16_t order[4]);
