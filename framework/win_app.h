// The application object: one global instance per program, constructed before
// start-up. It knows the program's name, its resources and its help file, and
// handles the commands that no window handles.
#pragma once

#include "framework/win_thread.h"

class CWinApp : public CWinThread {
 public:
  CWinApp();
  ~CWinApp() override;

  HINSTANCE m_hInstance = nullptr;
  const wchar_t* m_pszAppName = nullptr;       // captions every message box
  const wchar_t* m_pszHelpFilePath = nullptr;  // the executable's path, ending ".HLP"
  const wchar_t* m_pszRegistryKey = nullptr;   // set by SetRegistryKey
  const wchar_t* m_pszProfileName = nullptr;   // set by SetRegistryKey

  // Loads the satellite resource module, if one lies beside the executable.
  BOOL InitInstance() override;
  // Releases the satellite resource module and the common controls.
  int ExitInstance() override;

  // Loads an icon from the current resource module.
  HICON LoadIcon(UINT id) const;

  // Asks Windows Help for context `data` in the application's help file.
  void WinHelp(DWORD_PTR data, UINT command);

  // Shows a modal message box owned by the main window; the framework's
  // AfxMessageBox comes here.
  int DoMessageBox(const wchar_t* text, UINT type);

  // ID_HELP: help on the main window's help identifier.
  void OnHelp();

  // Fixes the name and paths that come from the executable itself; the
  // framework's start-up calls it before InitInstance.
  void InitApplicationNames(HINSTANCE instance);

 protected:
  // Names where profile settings would be kept; opens and writes nothing.
  void SetRegistryKey(const wchar_t* key);

  DECLARE_MESSAGE_MAP()

 private:
  wchar_t m_exePath[MAX_PATH] = {};
  wchar_t m_appName[MAX_PATH] = {};
  wchar_t m_helpPath[MAX_PATH] = {};
};

CWinApp* AfxGetApp();
HINSTANCE AfxGetInstanceHandle();
// The module dialog templates and icons come from: a satellite module when
// one was loaded, else the executable.
HINSTANCE AfxGetResourceHandle();
