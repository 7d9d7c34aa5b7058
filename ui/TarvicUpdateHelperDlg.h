// The upgrade notice: the program's only window. It shows the notice text and
// offers the two upgrade steps as buttons.
#pragma once

#include "framework/dialog.h"
#include "res/resource.h"

class CTarvicUpdateHelperDlg : public CDialog {
 public:
  enum { IDD = IDD_NOTICE };

  explicit CTarvicUpdateHelperDlg(CWnd* parent = nullptr);

 protected:
  BOOL OnInitDialog() override;
  void OnPaint();
  HCURSOR OnQueryDragIcon();
  void OnUninstallOld();
  void OnDownloadNew();

  HICON m_hIcon;

 private:
  // The uninstall's wait answers what other programs send, and a click can
  // come that way (BM_CLICK from an automation tool): one uninstall at a time.
  bool m_uninstallRunning = false;

  DECLARE_MESSAGE_MAP()
};
