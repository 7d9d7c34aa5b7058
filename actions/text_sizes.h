// The text buffers the actions share, in UTF-16 units, the terminator included.
#pragma once

#include <cstddef>

// An uninstall command we accept: at most 259 units.
const size_t kCommandLineUnits = 260;
// A program's full path: MAX_PATH.
const size_t kPathUnits = 260;
