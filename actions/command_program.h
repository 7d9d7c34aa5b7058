// Which program a registered command line starts. We name it to
// CreateProcessW ourselves: left to itself, CreateProcessW tries the shorter
// prefixes of an unquoted path with spaces first (C:\Program.exe before
// C:\Program Files\...), and looks for a bare name in our own folder and the
// current one before the system's, and we are elevated and started from a
// Downloads folder, where any web page can leave a file.
//
// The rules, after leading blanks (spaces, tabs):
// - "quoted": the text between the quotes, which must be followed by a blank
//   or the end;
// - unquoted, the first blank-delimited word without a folder part (no \, /
//   or :) is a bare name;
// - otherwise unquoted, the path must be absolute and is the shortest prefix
//   ending at a blank or the end that ends in ".exe" and is an existing file;
//   a prefix never has ".exe" added and may hold no quote;
// - a path (quoted or not) counts only when absolute: "X:\" or "\\"; a path
//   relative to the current folder or drive is refused;
// - a bare name (quoted or not) gets ".exe" when it has no "." and is looked
//   for in the system folder, the Windows folder and then the absolute
//   entries of PATH, in that order; never in our folder or the current one.
// The program is always an existing file, not a folder.
#pragma once

#include "actions/platform.h"
#include "actions/text_sizes.h"

// The full path of the program `commandLine` (terminated within
// kCommandLineUnits) starts; false, and an empty `program`, when there is no
// such program by the rules above.
bool FindProgram(Platform& os, const wchar_t* commandLine, wchar_t (&program)[kPathUnits]);
