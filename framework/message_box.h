// Message boxes shown through the application object: owned by the main
// window, captioned with the application name, given an icon when the style
// names none.
#pragma once

#include <windows.h>

int AfxMessageBox(const wchar_t* text, UINT type = MB_OK);
