#include "framework/win_app.h"

#include "framework/common_controls.h"
#include "framework/framework_ids.h"
#include "framework/framework_texts.h"
#include "framework/message_box_style.h"
#include "framework/module_names.h"
#include "framework/satellite_module.h"
#include "framework/wnd.h"

namespace {
CWinApp* theApp = nullptr;
HMODULE satelliteModule = nullptr;
}  // namespace

CWinApp* AfxGetApp() { return theApp; }

HINSTANCE AfxGetInstanceHandle() { return theApp ? theApp->m_hInstance : nullptr; }

HINSTANCE AfxGetResourceHandle() {
  return satelliteModule ? satelliteModule : AfxGetInstanceHandle();
}

BEGIN_MESSAGE_MAP(CWinApp, CWinThread)
END_MESSAGE_MAP()

CWinApp::CWinApp() { theApp = this; }

CWinApp::~CWinApp() {
  if (theApp == this) theApp = nullptr;
}

void CWinApp::InitApplicationNames(HINSTANCE instance) {
  m_hInstance = instance;
  // A path that does not fit is left empty rather than cut short.
  const DWORD length = ::GetModuleFileNameW(instance, m_exePath, MAX_PATH);
  if (length == 0 || length >= MAX_PATH) m_exePath[0] = L'\0';

  if (::LoadStringW(instance, AFX_IDS_APP_TITLE, m_appName, MAX_PATH) <= 0)
    AppNameFromModulePath(m_exePath, m_appName, MAX_PATH);
  m_pszAppName = m_appName;

  HelpFilePath(m_exePath, m_helpPath, MAX_PATH);
  m_pszHelpFilePath = m_helpPath;
}

BOOL CWinApp::InitInstance() {
  if (m_exePath[0] != L'\0') satelliteModule = LoadSatelliteModule(m_exePath);
  return TRUE;
}

int CWinApp::ExitInstance() {
  if (satelliteModule != nullptr) {
    ::FreeLibrary(satelliteModule);
    satelliteModule = nullptr;
  }
  ReleaseCommonControls();
  return 0;
}

void CWinApp::SetRegistryKey(const wchar_t* key) {
  m_pszRegistryKey = key;
  m_pszProfileName = m_pszAppName;
}

HICON CWinApp::LoadIcon(UINT id) const {
  return ::LoadIconW(AfxGetResourceHandle(), MAKEINTRESOURCEW(id));
}

void CWinApp::WinHelp(DWORD_PTR data, UINT command) {
  HWND owner = m_pMainWnd ? m_pMainWnd->m_hWnd : nullptr;
  if (!::WinHelpW(owner, m_pszHelpFilePath, command, data))
    DoMessageBox(AFX_TEXT_HELP_FAILED, MB_OK);
}

void CWinApp::OnHelp() {
  if (m_pMainWnd == nullptr) return;
  WinHelp(HID_BASE_RESOURCE + m_pMainWnd->m_nIDHelp, HELP_CONTEXT);
}

int CWinApp::DoMessageBox(const wchar_t* text, UINT type) {
  HWND owner = m_pMainWnd ? m_pMainWnd->m_hWnd : nullptr;
  return ::MessageBoxW(owner, text, m_pszAppName, MessageBoxStyle(type));
}
