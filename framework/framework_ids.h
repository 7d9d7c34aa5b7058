// Identifiers the framework itself defines.
#pragma once

// Command raised by F1; the application handles it with CWinApp::OnHelp.
#define ID_HELP 0xE146

// Help contexts of windows are this base plus the window's help identifier.
#define HID_BASE_RESOURCE 0x20000

// String resource of the executable that, when present, names the application.
#define AFX_IDS_APP_TITLE 0xE000
