// A satellite resource module: a DLL beside the executable, named after it and
// a language, that supplies dialog templates and icons in place of the
// executable's own.
#pragma once

#include <windows.h>

// Loads the first satellite that exists for the user's and the system's
// interface languages, their primary languages, then "LOC"; null when none.
// The module is mapped as data only: none of its code ever runs, since an
// elevated program must not run whatever was dropped beside it.
HMODULE LoadSatelliteModule(const wchar_t* exePath);
