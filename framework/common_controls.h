// The common controls, loaded at run time rather than imported. Windows runs an
// imported DLL's initialisation while it resolves the imports, before the
// program's first line and so before the DLL search is restricted; comctl32's
// loads uxtheme.dll there, and would take one dropped beside the program.
#pragma once

#include <windows.h>
#include <commctrl.h>

// Loads comctl32 (version 6, as the manifest asks) and calls its
// InitCommonControlsEx. FALSE when either cannot be had. Call once the DLL
// search is restricted.
BOOL InitCommonControlsAfterStartUp(const INITCOMMONCONTROLSEX* controls);

// Releases comctl32 once no window of it is left.
void ReleaseCommonControls();
