#include "app/TarvicUpdateHelper.h"

#include "framework/common_controls.h"
#include "framework/control_container.h"
#include "framework/framework_ids.h"
#include "ui/TarvicUpdateHelperDlg.h"

BEGIN_MESSAGE_MAP(CTarvicUpdateHelperApp, CWinAppEx)
  ON_COMMAND(ID_HELP, &CWinApp::OnHelp)
END_MESSAGE_MAP()

CTarvicUpdateHelperApp::CTarvicUpdateHelperApp() : CWinAppEx(TRUE) {}

CTarvicUpdateHelperApp theApp;

BOOL CTarvicUpdateHelperApp::InitInstance() {
  INITCOMMONCONTROLSEX controls = {};
  controls.dwSize = sizeof controls;
  controls.dwICC = ICC_WIN95_CLASSES;
  InitCommonControlsAfterStartUp(&controls);

  CWinAppEx::InitInstance();
  AfxEnableControlContainer();
  SetRegistryKey(L"应用程序向导生成的本地应用程序");

  CTarvicUpdateHelperDlg dlg;
  m_pMainWnd = &dlg;
  dlg.DoModal();
  return FALSE;
}
