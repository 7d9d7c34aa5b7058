// Where the installed edition registers its uninstaller: a subkey of the
// machine's Uninstall key, in the registry view of this 32-bit program.
#pragma once

#define UNINSTALL_PARENT_KEY L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall"
#define TARVIC_UNINSTALL_ENTRY L"Tarvic"
#define UNINSTALL_STRING_VALUE L"UninstallString"
