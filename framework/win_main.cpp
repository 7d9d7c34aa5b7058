// The program's entry point: the framework's start-up and shut-down around the
// application object's InitInstance.
#include <windows.h>

#include "framework/dll_search.h"
#include "framework/win_app.h"
#include "framework/wnd.h"

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE /*previous*/, LPWSTR /*commandLine*/,
                    int /*show*/) {
  RestrictDllSearch();

  // Keep whatever error mode we were given and add ours; children inherit it.
  const UINT inherited = ::SetErrorMode(0);
  ::SetErrorMode(inherited | SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX);

  CWinApp* app = AfxGetApp();
  if (app == nullptr) return -1;
  app->InitApplicationNames(instance);
  app->InitInstance();
  if (app->m_pMainWnd != nullptr) app->m_pMainWnd->DestroyWindow();
  return app->ExitInstance();
}
