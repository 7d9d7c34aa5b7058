// When a window of another process counts as shown: visible, and with no
// part of it or of any child still waiting to be painted. Wine keeps every
// window's update region in its server, so GetUpdateRect answers for
// windows of other processes too; the region is set when a window is shown
// and emptied when its WM_PAINT has been handled (BeginPaint validates it).
#pragma once

#include <windows.h>

#include <vector>

namespace bench {

bool ShownAndPainted(HWND window);

// Top-level dialog-class (#32770) windows of the process other than
// `exclude`, visible or not.
std::vector<HWND> DialogsOf(DWORD processId, HWND exclude);

}  // namespace bench
