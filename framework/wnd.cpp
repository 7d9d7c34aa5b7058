#include "framework/wnd.h"

#include "framework/placement.h"
#include "framework/win_app.h"

CWnd::~CWnd() {
  // A window object that dies while still named the main window (a dialog
  // whose window was never created) must not leave that name dangling.
  StopBeingMainWindow();
}

BOOL CWnd::DestroyWindow() {
  if (m_hWnd == nullptr) return FALSE;
  return ::DestroyWindow(m_hWnd);
}

BOOL CWnd::IsIconic() const { return ::IsIconic(m_hWnd); }

void CWnd::GetClientRect(RECT* rect) const { ::GetClientRect(m_hWnd, rect); }

HICON CWnd::SetIcon(HICON icon, BOOL bigIcon) {
  return reinterpret_cast<HICON>(SendMessage(WM_SETICON, bigIcon ? ICON_BIG : ICON_SMALL,
                                             reinterpret_cast<LPARAM>(icon)));
}

void CWnd::SetDlgItemText(int id, const wchar_t* text) { ::SetDlgItemTextW(m_hWnd, id, text); }

LRESULT CWnd::SendMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  return ::SendMessageW(m_hWnd, message, wParam, lParam);
}

void CWnd::CenterWindow() {
  RECT window;
  ::GetWindowRect(m_hWnd, &window);
  MONITORINFO monitor = {};
  monitor.cbSize = sizeof monitor;
  if (!::GetMonitorInfoW(::MonitorFromWindow(m_hWnd, MONITOR_DEFAULTTONEAREST), &monitor))
    return;
  const Box area = {monitor.rcWork.left, monitor.rcWork.top, monitor.rcWork.right,
                    monitor.rcWork.bottom};
  int left, top;
  CentreInArea(area, window.right - window.left, window.bottom - window.top, &left, &top);
  ::SetWindowPos(m_hWnd, nullptr, left, top, 0, 0,
                 SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

bool CWnd::OnWndMsg(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result) {
  if (message == WM_COMMAND) {
    *result = 0;
    return OnCommand(wParam, lParam) != FALSE;
  }
  const MessageMapEntry* entry = FindMessageMapEntry(GetMessageMap(), message, 0, 0);
  if (entry == nullptr) return false;
  *result = entry->call(this);
  return true;
}

BOOL CWnd::OnCommand(WPARAM wParam, LPARAM /*lParam*/) {
  return OnCmdMsg(LOWORD(wParam), HIWORD(wParam));
}

void CWnd::OnWindowDestroyed() {
  m_hWnd = nullptr;
  StopBeingMainWindow();
}

void CWnd::StopBeingMainWindow() {
  CWinApp* app = AfxGetApp();
  if (app != nullptr && app->m_pMainWnd == this) app->m_pMainWnd = nullptr;
}
