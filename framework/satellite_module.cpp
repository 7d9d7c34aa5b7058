#include "framework/satellite_module.h"

#include "framework/module_names.h"

namespace {

HMODULE LoadAsData(const wchar_t* exePath, const wchar_t* abbreviation) {
  wchar_t path[MAX_PATH];
  if (!SatelliteModulePath(exePath, abbreviation, path, MAX_PATH)) return nullptr;
  return ::LoadLibraryExW(path, nullptr, LOAD_LIBRARY_AS_DATAFILE);
}

HMODULE LoadForLanguage(const wchar_t* exePath, LANGID language) {
  wchar_t abbreviation[4];
  if (::GetLocaleInfoW(MAKELCID(language, SORT_DEFAULT), LOCALE_SABBREVLANGNAME,
                       abbreviation, ARRAYSIZE(abbreviation)) == 0)
    return nullptr;
  return LoadAsData(exePath, abbreviation);
}

}  // namespace

HMODULE LoadSatelliteModule(const wchar_t* exePath) {
  uint16_t languages[4];
  const int count = SatelliteLanguageOrder(::GetUserDefaultUILanguage(),
                                           ::GetSystemDefaultUILanguage(), languages);
  for (int i = 0; i < count; ++i) {
    if (HMODULE module = LoadForLanguage(exePath, languages[i])) return module;
  }
  return LoadAsData(exePath, L"LOC");
}
