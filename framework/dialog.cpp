#include "framework/dialog.h"

#include "framework/framework_ids.h"
#include "framework/paint_dc.h"
#include "framework/win_app.h"

BEGIN_MESSAGE_MAP(CDialog, CWnd)
  ON_COMMAND(IDOK, &CDialog::OnOK)
  ON_COMMAND(IDCANCEL, &CDialog::OnCancel)
END_MESSAGE_MAP()

CDialog::CDialog(UINT templateId, CWnd* parent)
    : m_templateId(templateId), m_pParentWnd(parent) {
  m_nIDHelp = templateId;
}

INT_PTR CDialog::DoModal() {
  HINSTANCE resources = AfxGetResourceHandle();
  HRSRC found = ::FindResourceW(resources, MAKEINTRESOURCEW(m_templateId), RT_DIALOG);
  if (found == nullptr) return -1;
  const void* dialogTemplate = ::LockResource(::LoadResource(resources, found));
  if (dialogTemplate == nullptr) return -1;

  HWND owner = m_pParentWnd ? m_pParentWnd->m_hWnd : nullptr;
  m_ended = false;
  m_result = IDCANCEL;
  HWND window = ::CreateDialogIndirectParamW(
      AfxGetInstanceHandle(), static_cast<const DLGTEMPLATE*>(dialogTemplate), owner,
      &CDialog::DialogProc, reinterpret_cast<LPARAM>(this));
  if (window == nullptr) return -1;

  const bool ownerWasEnabled = owner != nullptr && ::EnableWindow(owner, FALSE) == 0;
  if (!::IsWindowVisible(window)) ::ShowWindow(window, SW_SHOWNORMAL);
  RunModalLoop();
  if (ownerWasEnabled) ::EnableWindow(owner, TRUE);
  DestroyWindow();
  return m_result;
}

void CDialog::EndDialog(int result) {
  m_result = result;
  m_ended = true;
  // Wake the loop in case the call did not come from one of its own messages.
  if (m_hWnd != nullptr) ::PostMessageW(m_hWnd, WM_NULL, 0, 0);
}

BOOL CDialog::OnCmdMsg(UINT id, UINT code) {
  if (CWnd::OnCmdMsg(id, code)) return TRUE;
  CWinApp* app = AfxGetApp();
  return app != nullptr && app->OnCmdMsg(id, code);
}

BOOL CDialog::OnInitDialog() { return TRUE; }

void CDialog::OnOK() { EndDialog(IDOK); }

void CDialog::OnCancel() { EndDialog(IDCANCEL); }

void CDialog::OnPaint() { CPaintDC validated(this); }

void CDialog::RunModalLoop() {
  MSG message;
  while (!m_ended && m_hWnd != nullptr) {
    const BOOL got = ::GetMessageW(&message, nullptr, 0, 0);
    if (got == -1) break;
    if (got == 0) {
      // Leave WM_QUIT for whoever runs the loop around this one.
      ::PostQuitMessage(static_cast<int>(message.wParam));
      break;
    }
    if (PreTranslateMessage(message)) continue;
    if (::IsDialogMessageW(m_hWnd, &message)) continue;
    ::TranslateMessage(&message);
    ::DispatchMessageW(&message);
  }
}

bool CDialog::PreTranslateMessage(const MSG& message) {
  if (message.message != WM_KEYDOWN) return false;
  if (message.hwnd != m_hWnd && !::IsChild(m_hWnd, message.hwnd)) return false;

  if (message.wParam == VK_F1) {
    const bool modifier = ::GetKeyState(VK_SHIFT) < 0 || ::GetKeyState(VK_CONTROL) < 0 ||
                          ::GetKeyState(VK_MENU) < 0;
    if (modifier) return false;
    SendMessage(WM_COMMAND, ID_HELP, 0);
    return true;
  }

  // A multi-line edit keeps Esc and Ctrl+Break for itself; without a Cancel
  // button the dialog would otherwise never hear of them.
  if ((message.wParam == VK_ESCAPE || message.wParam == VK_CANCEL) &&
      FocusIsMultilineEdit() && ::GetDlgItem(m_hWnd, IDCANCEL) == nullptr) {
    SendMessage(WM_COMMAND, IDCANCEL, 0);
    return true;
  }
  return false;
}

bool CDialog::FocusIsMultilineEdit() const {
  HWND focus = ::GetFocus();
  if (focus == nullptr || !::IsChild(m_hWnd, focus)) return false;
  wchar_t className[8];
  if (::GetClassNameW(focus, className, ARRAYSIZE(className)) == 0) return false;
  return ::lstrcmpiW(className, L"Edit") == 0 &&
         (::GetWindowLongW(focus, GWL_STYLE) & ES_MULTILINE) != 0;
}

INT_PTR CALLBACK CDialog::DialogProc(HWND window, UINT message, WPARAM wParam,
                                     LPARAM lParam) {
  if (message == WM_INITDIALOG) {
    auto* self = reinterpret_cast<CDialog*>(lParam);
    ::SetWindowLongPtrW(window, DWLP_USER, lParam);
    self->m_hWnd = window;
    const BOOL focusDefault = self->OnInitDialog();
    // Placed once, before the window is first shown, unless the template places it.
    const LONG style = ::GetWindowLongW(window, GWL_STYLE);
    if ((style & (DS_CENTER | DS_CENTERMOUSE | DS_ABSALIGN)) == 0) self->CenterWindow();
    return focusDefault;
  }

  auto* self = reinterpret_cast<CDialog*>(::GetWindowLongPtrW(window, DWLP_USER));
  if (self == nullptr) return FALSE;
  if (message == WM_NCDESTROY) {
    self->OnWindowDestroyed();
    return FALSE;
  }

  LRESULT result = 0;
  if (!self->OnWndMsg(message, wParam, lParam, &result)) return FALSE;
  // A dialog procedure answers this one with its return value.
  if (message == WM_QUERYDRAGICON) return static_cast<INT_PTR>(result);
  ::SetWindowLongPtrW(window, DWLP_MSGRESULT, result);
  return TRUE;
}
