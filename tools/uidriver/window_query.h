// Finding and reading the windows of another process, as a user would see
// them: visible top-level windows, their text, class, styles, place and
// children. Text goes through WM_GETTEXT, since GetWindowText does not ask a
// window of another process for its current text.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

namespace uidriver {

// What a top-level window must have to match; an empty field matches anything.
struct WindowMatch {
  DWORD processId = 0;
  std::wstring caption;
  std::wstring className;
  HWND exclude = nullptr;
};

struct WindowInfo {
  HWND window = nullptr;
  std::wstring text;
  std::wstring className;
  DWORD style = 0;
  DWORD exStyle = 0;
  RECT rect = {};
  int id = 0;
};

// Visible top-level windows that match, in Z order.
std::vector<HWND> FindTopLevelWindows(const WindowMatch& match);

// The first matching window once one exists; null after `timeoutMs`.
HWND WaitForTopLevelWindow(const WindowMatch& match, DWORD timeoutMs);

// Waits until the window is destroyed or hidden; false after `timeoutMs`.
bool WaitForWindowGone(HWND window, DWORD timeoutMs);

// The window's current text, asked of the window itself (bounded to 4096 units).
std::wstring WindowText(HWND window);
std::wstring ClassName(HWND window);

// Direct children in Z order, which for a dialog is the tab order.
std::vector<HWND> ChildWindows(HWND parent);

WindowInfo ReadWindow(HWND window);

// The window that has the keyboard focus in the thread that owns `window`.
HWND FocusedWindowOf(HWND window);

}  // namespace uidriver
