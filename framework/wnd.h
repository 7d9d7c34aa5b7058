// A window and the object that handles its messages. The object does not own
// the window's lifetime beyond DestroyWindow; the window tells the object when
// it is gone.
#pragma once

#include "framework/cmd_target.h"

class CWnd : public CCmdTarget {
 public:
  HWND m_hWnd = nullptr;

  ~CWnd() override;

  BOOL DestroyWindow();
  BOOL IsIconic() const;
  void GetClientRect(RECT* rect) const;
  HICON SetIcon(HICON icon, BOOL bigIcon);
  void SetDlgItemText(int id, const wchar_t* text);
  LRESULT SendMessage(UINT message, WPARAM wParam = 0, LPARAM lParam = 0);

  // Centres the window in the work area of the monitor that holds it.
  void CenterWindow();

  // The help identifier F1 asks help for while this window is active.
  UINT m_nIDHelp = 0;

 protected:
  // Runs the message-map handler for a message; false when there is none and
  // the message is left to default processing.
  bool OnWndMsg(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result);
  virtual BOOL OnCommand(WPARAM wParam, LPARAM lParam);

  // The window is gone: forget its handle and stop being the main window.
  void OnWindowDestroyed();

 private:
  void StopBeingMainWindow();
};
