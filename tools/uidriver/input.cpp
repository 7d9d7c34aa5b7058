#include "input.h"

#include "wait.h"

namespace uidriver {

namespace {

const struct {
  Modifier modifier;
  WORD key;
} kModifierKeys[] = {
    {kCtrl, VK_CONTROL},
    {kShift, VK_SHIFT},
    {kAlt, VK_MENU},
};

// Keys that a keyboard sends with the E0 prefix; Break is Ctrl+Pause's code.
bool IsExtended(WORD key) {
  switch (key) {
    case VK_CANCEL:
    case VK_DELETE:
    case VK_INSERT:
    case VK_HOME:
    case VK_END:
    case VK_PRIOR:
    case VK_NEXT:
    case VK_LEFT:
    case VK_RIGHT:
    case VK_UP:
    case VK_DOWN:
      return true;
    default:
      return false;
  }
}

INPUT KeyEvent(WORD key, bool up) {
  INPUT input = {};
  input.type = INPUT_KEYBOARD;
  input.ki.wVk = key;
  input.ki.wScan = static_cast<WORD>(::MapVirtualKeyW(key, 0 /* MAPVK_VK_TO_VSC */));
  input.ki.dwFlags = (up ? KEYEVENTF_KEYUP : 0) | (IsExtended(key) ? KEYEVENTF_EXTENDEDKEY : 0);
  return input;
}

}  // namespace

bool BringToForeground(HWND window, DWORD timeoutMs) {
  return WaitUntil(timeoutMs, [&] {
    if (::GetForegroundWindow() == window) return true;
    ::SetForegroundWindow(window);
    return ::GetForegroundWindow() == window;
  });
}

bool PressKey(HWND window, WORD virtualKey, unsigned modifiers) {
  if (!BringToForeground(window)) return false;
  INPUT events[8];
  UINT count = 0;
  for (const auto& m : kModifierKeys)
    if (modifiers & m.modifier) events[count++] = KeyEvent(m.key, false);
  events[count++] = KeyEvent(virtualKey, false);
  events[count++] = KeyEvent(virtualKey, true);
  for (int i = ARRAYSIZE(kModifierKeys) - 1; i >= 0; --i)
    if (modifiers & kModifierKeys[i].modifier) events[count++] = KeyEvent(kModifierKeys[i].key, true);
  return ::SendInput(count, events, sizeof(INPUT)) == count;
}

bool PostClose(HWND window) { return ::PostMessageW(window, WM_SYSCOMMAND, SC_CLOSE, 0) != 0; }

}  // namespace uidriver
