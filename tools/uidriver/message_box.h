// Message boxes of another process: a dialog-class (#32770) window whose
// static control 0xFFFF holds the text, an icon static and a button per answer.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "window_query.h"

namespace uidriver {

// The icon static's identifier: 0x14 in Windows' own template, 0x440 in Wine's.
const int kMessageBoxIconIds[] = {0x14, 0x440};
const int kMessageBoxTextId = 0xFFFF;

struct MessageBoxInfo {
  HWND window = nullptr;
  HWND owner = nullptr;
  std::wstring caption;
  std::wstring text;
  HWND iconControl = nullptr;  // null when the box shows no icon
  std::vector<WindowInfo> buttons;  // in tab order
};

bool IsMessageBox(HWND window);

// False when the window is not a message box.
bool ReadMessageBox(HWND window, MessageBoxInfo* info);

// The first visible message box of the process; null after `timeoutMs`.
HWND WaitForMessageBox(DWORD processId, DWORD timeoutMs);

// Clicks the dialog's button with this identifier (BM_CLICK); false when it
// has none or the click was not taken within a few seconds.
bool PressButton(HWND dialog, int id);

// BM_CLICK on a button of another process.
bool ClickButton(HWND button);

}  // namespace uidriver
