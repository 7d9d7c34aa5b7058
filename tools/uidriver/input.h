// Keyboard input as a user types it: the target window is brought to the
// foreground, then the keys go through SendInput to whatever has the focus.
#pragma once

#include <windows.h>

namespace uidriver {

enum Modifier : unsigned {
  kNoModifier = 0,
  kShift = 1,
  kCtrl = 2,
  kAlt = 4,
};

// Makes `window` the foreground window; false if it is not within `timeoutMs`.
bool BringToForeground(HWND window, DWORD timeoutMs = 3000);

// Brings `window` to the foreground, then presses and releases `virtualKey`
// with the modifiers held down; false when either step fails.
bool PressKey(HWND window, WORD virtualKey, unsigned modifiers = kNoModifier);

// Posts WM_SYSCOMMAND SC_CLOSE, as the close box does.
bool PostClose(HWND window);

}  // namespace uidriver
