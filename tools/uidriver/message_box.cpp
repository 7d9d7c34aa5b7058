#include "message_box.h"

#include "wait.h"

namespace uidriver {

namespace {
const UINT kClickTimeoutMs = 5000;
const wchar_t kDialogClass[] = L"#32770";
}  // namespace

bool IsMessageBox(HWND window) {
  return ClassName(window) == kDialogClass && ::GetDlgItem(window, kMessageBoxTextId) != nullptr;
}

bool ReadMessageBox(HWND window, MessageBoxInfo* info) {
  if (!IsMessageBox(window)) return false;
  *info = MessageBoxInfo();
  info->window = window;
  info->owner = ::GetWindow(window, GW_OWNER);
  info->caption = WindowText(window);
  info->text = WindowText(::GetDlgItem(window, kMessageBoxTextId));
  for (int id : kMessageBoxIconIds) {
    HWND icon = ::GetDlgItem(window, id);
    if (icon != nullptr && ::IsWindowVisible(icon)) info->iconControl = icon;
  }
  for (HWND child : ChildWindows(window)) {
    if (ClassName(child) == L"Button" && ::IsWindowVisible(child))
      info->buttons.push_back(ReadWindow(child));
  }
  return true;
}

HWND WaitForMessageBox(DWORD processId, DWORD timeoutMs) {
  HWND found = nullptr;
  WindowMatch match;
  match.processId = processId;
  match.className = kDialogClass;
  WaitUntil(timeoutMs, [&] {
    for (HWND window : FindTopLevelWindows(match)) {
      if (IsMessageBox(window)) {
        found = window;
        return true;
      }
    }
    return false;
  });
  return found;
}

bool ClickButton(HWND button) {
  DWORD_PTR result = 0;
  return ::SendMessageTimeoutW(button, BM_CLICK, 0, 0, SMTO_ABORTIFHUNG, kClickTimeoutMs,
                               &result) != 0;
}

bool PressButton(HWND dialog, int id) {
  HWND button = ::GetDlgItem(dialog, id);
  return button != nullptr && ClickButton(button);
}

}  // namespace uidriver
