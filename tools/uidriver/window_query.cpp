#include "window_query.h"

#include "wait.h"

namespace uidriver {

namespace {

// A window that does not answer within this time is treated as having no text.
const UINT kMessageTimeoutMs = 5000;
const size_t kMaxText = 4096;

struct Search {
  const WindowMatch* match;
  std::vector<HWND> found;
};

bool Matches(HWND window, const WindowMatch& match) {
  if (window == match.exclude || !::IsWindowVisible(window)) return false;
  if (match.processId != 0) {
    DWORD owner = 0;
    ::GetWindowThreadProcessId(window, &owner);
    if (owner != match.processId) return false;
  }
  if (!match.className.empty() && ClassName(window) != match.className) return false;
  if (!match.caption.empty() && WindowText(window) != match.caption) return false;
  return true;
}

BOOL CALLBACK Collect(HWND window, LPARAM context) {
  auto* search = reinterpret_cast<Search*>(context);
  if (Matches(window, *search->match)) search->found.push_back(window);
  return TRUE;
}

}  // namespace

std::vector<HWND> FindTopLevelWindows(const WindowMatch& match) {
  Search search = {&match, {}};
  ::EnumWindows(&Collect, reinterpret_cast<LPARAM>(&search));
  return search.found;
}

HWND WaitForTopLevelWindow(const WindowMatch& match, DWORD timeoutMs) {
  HWND found = nullptr;
  WaitUntil(timeoutMs, [&] {
    std::vector<HWND> windows = FindTopLevelWindows(match);
    if (!windows.empty()) found = windows.front();
    return found != nullptr;
  });
  return found;
}

bool WaitForWindowGone(HWND window, DWORD timeoutMs) {
  return WaitUntil(timeoutMs, [&] { return !::IsWindow(window) || !::IsWindowVisible(window); });
}

std::wstring WindowText(HWND window) {
  DWORD_PTR length = 0;
  if (!::SendMessageTimeoutW(window, WM_GETTEXTLENGTH, 0, 0, SMTO_ABORTIFHUNG, kMessageTimeoutMs,
                             &length))
    return std::wstring();
  if (length > kMaxText) length = kMaxText;
  std::wstring text(length + 1, L'\0');
  DWORD_PTR copied = 0;
  if (!::SendMessageTimeoutW(window, WM_GETTEXT, text.size(),
                             reinterpret_cast<LPARAM>(&text[0]), SMTO_ABORTIFHUNG,
                             kMessageTimeoutMs, &copied))
    return std::wstring();
  text.resize(copied < length ? copied : length);
  return text;
}

std::wstring ClassName(HWND window) {
  wchar_t name[256];
  const int length = ::GetClassNameW(window, name, ARRAYSIZE(name));
  return std::wstring(name, length > 0 ? length : 0);
}

std::vector<HWND> ChildWindows(HWND parent) {
  std::vector<HWND> children;
  for (HWND child = ::GetWindow(parent, GW_CHILD); child != nullptr;
       child = ::GetWindow(child, GW_HWNDNEXT))
    children.push_back(child);
  return children;
}

WindowInfo ReadWindow(HWND window) {
  WindowInfo info;
  info.window = window;
  info.text = WindowText(window);
  info.className = ClassName(window);
  info.style = static_cast<DWORD>(::GetWindowLongW(window, GWL_STYLE));
  info.exStyle = static_cast<DWORD>(::GetWindowLongW(window, GWL_EXSTYLE));
  ::GetWindowRect(window, &info.rect);
  info.id = ::GetDlgCtrlID(window);
  return info;
}

HWND FocusedWindowOf(HWND window) {
  GUITHREADINFO gui = {};
  gui.cbSize = sizeof gui;
  if (!::GetGUIThreadInfo(::GetWindowThreadProcessId(window, nullptr), &gui)) return nullptr;
  return gui.hwndFocus;
}

}  // namespace uidriver
