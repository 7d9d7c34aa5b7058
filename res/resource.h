// Resource identifiers of the program's executable.
#pragma once

#define IDD_NOTICE 102
#define IDI_APP 128

#define IDC_NOTICE_TEXT 1000
#define IDC_UNINSTALL_OLD 1001
#define IDC_DOWNLOAD_NEW 1002
