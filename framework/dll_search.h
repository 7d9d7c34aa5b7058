// Keeps the folder the program was started from, and the current folder, out
// of the search for DLLs: an elevated program started from a Downloads folder
// must not load whatever was dropped beside it.
#pragma once

// Call first, before anything can load a library.
void RestrictDllSearch();
