// Where the browser stand-in finds what a test wants of it: the registry,
// since the desktop's shell may be the one that starts it, with the shell's
// environment rather than the test's.
#pragma once

// HKEY_CURRENT_USER\...
#define BROWSER_STANDIN_KEY L"Software\\TarvicUpdateHelper tests\\Browser"
// REG_SZ: the file that gets the record (see record.h).
#define BROWSER_STANDIN_RECORD L"Record"
// REG_DWORD: how long to stay before exiting; none, not at all.
#define BROWSER_STANDIN_STAY_MS L"StayMs"
