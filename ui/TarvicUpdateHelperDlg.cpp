#include "ui/TarvicUpdateHelperDlg.h"

#include "actions/download_new.h"
#include "actions/uninstall_old.h"
#include "actions/win32_platform.h"
#include "framework/paint_dc.h"
#include "framework/win_app.h"
#include "ui/icon_origin.h"
#include "ui/notice_text.h"

BEGIN_MESSAGE_MAP(CTarvicUpdateHelperDlg, CDialog)
  ON_WM_PAINT()
  ON_WM_QUERYDRAGICON()
  ON_BN_CLICKED(IDC_UNINSTALL_OLD, &CTarvicUpdateHelperDlg::OnUninstallOld)
  ON_BN_CLICKED(IDC_DOWNLOAD_NEW, &CTarvicUpdateHelperDlg::OnDownloadNew)
END_MESSAGE_MAP()

CTarvicUpdateHelperDlg::CTarvicUpdateHelperDlg(CWnd* parent)
    : CDialog(IDD, parent), m_hIcon(AfxGetApp()->LoadIcon(IDI_APP)) {}

BOOL CTarvicUpdateHelperDlg::OnInitDialog() {
  CDialog::OnInitDialog();
  SetIcon(m_hIcon, TRUE);
  SetIcon(m_hIcon, FALSE);
  SetDlgItemText(IDC_NOTICE_TEXT, NOTICE_TEXT);
  return TRUE;
}

void CTarvicUpdateHelperDlg::OnPaint() {
  if (!IsIconic()) {
    CDialog::OnPaint();
    return;
  }
  CPaintDC dc(this);
  SendMessage(WM_ICONERASEBKGND, reinterpret_cast<WPARAM>(dc.GetSafeHdc()), 0);
  const int iconWidth = ::GetSystemMetrics(SM_CXICON);
  const int iconHeight = ::GetSystemMetrics(SM_CYICON);
  RECT client;
  GetClientRect(&client);
  const IconOrigin origin = CentredIconOrigin(client.right - client.left,
                                              client.bottom - client.top, iconWidth, iconHeight);
  dc.DrawIcon(origin.x, origin.y, m_hIcon);
}

HCURSOR CTarvicUpdateHelperDlg::OnQueryDragIcon() { return static_cast<HCURSOR>(m_hIcon); }

void CTarvicUpdateHelperDlg::OnUninstallOld() {
  if (m_uninstallRunning) return;
  m_uninstallRunning = true;
  Win32Platform windows;
  UninstallOld(windows);
  m_uninstallRunning = false;
}

void CTarvicUpdateHelperDlg::OnDownloadNew() {
  Win32Platform windows;
  DownloadNew(windows);
}
