// A modal dialog built from a template in the current resource module.
//
// Use:
//  1. Derive from CDialog and pass the template's identifier to its constructor.
//  2. Override OnInitDialog to fill the controls; bind buttons in the message map.
//  3. Call DoModal: it returns the identifier that ended the dialog, or -1 when
//     the template is missing or the window cannot be created.
#pragma once

#include "framework/wnd.h"

class CDialog : public CWnd {
 public:
  explicit CDialog(UINT templateId, CWnd* parent = nullptr);

  INT_PTR DoModal();
  void EndDialog(int result);

  // Routes a command this dialog does not handle on to the application.
  BOOL OnCmdMsg(UINT id, UINT code) override;

 protected:
  // Called when the window and its controls exist; TRUE lets the system give
  // the focus to the first tab stop.
  virtual BOOL OnInitDialog();
  virtual void OnOK();
  virtual void OnCancel();

  // Default painting, for derived handlers that draw only in some states.
  void OnPaint();

  DECLARE_MESSAGE_MAP()

 private:
  static INT_PTR CALLBACK DialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
  void RunModalLoop();
  bool PreTranslateMessage(const MSG& message);
  bool FocusIsMultilineEdit() const;

  const UINT m_templateId;
  CWnd* const m_pParentWnd;
  bool m_ended = false;
  int m_result = IDCANCEL;
};
