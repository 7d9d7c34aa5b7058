// What a test tells the uninstaller stand-in beyond its command line. The
// environment serves: the notice starts it with its own, and the stand-in
// starts its copies and children with its.
#pragma once

// The file that gets the record (see record.h).
#define UNINSTALLER_STANDIN_RECORD_VARIABLE L"E2E_UNINSTALL_RECORD"
