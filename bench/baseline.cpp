// The benchmark's baseline: the notice's own dialog template (same resource
// script, same icon and manifest) shown with DialogBoxParamW and nothing
// else, so that what the notice costs beyond a bare dialog can be measured.
// Not part of the product.
//
// Built again with more of what the notice does at start-up, one step on
// top of the other, it tells where the notice's start-up goes:
//   BENCH_OUR_IMPORTS        imports every DLL the notice imports (calls none)
//   BENCH_COMMON_CONTROLS    comctl32 loaded and InitCommonControlsEx called, as
//                            the notice does
//   BENCH_ICON               the notice's icon set as its big and small icon
//   BENCH_TEXT               the notice's text put in its edit control
// Built with BENCH_BARE_UNINSTALL, it answers "卸载旧软件" in the barest way:
// start the registered command, wait for that process, show the success box
// the notice shows; the notice's time to the outcome is compared with that.
#include <windows.h>

#include "res/resource.h"

#ifdef BENCH_COMMON_CONTROLS
#include "framework/common_controls.h"
#endif
#ifdef BENCH_OUR_IMPORTS
#include <objbase.h>
#include <oleauto.h>
#include <shellapi.h>
#endif

#ifdef BENCH_TEXT
#include "ui/notice_text.h"
#endif
#ifdef BENCH_BARE_UNINSTALL
#include "actions/uninstall_key.h"
#include "actions/uninstall_texts.h"
#include "owned.h"
#endif

namespace {

#ifdef BENCH_OUR_IMPORTS
// Never called: referring to one function of each DLL is what makes the
// loader bring it in.
const void* const volatile kOurImports[] = {
    reinterpret_cast<const void*>(&::RegCloseKey),        // advapi32
    reinterpret_cast<const void*>(&::CoInitializeEx),     // ole32
    reinterpret_cast<const void*>(&::SysFreeString),      // oleaut32
    reinterpret_cast<const void*>(&::ShellExecuteW),      // shell32
};
#endif

#ifdef BENCH_BARE_UNINSTALL
void BareUninstall(HWND dialog) {
  wchar_t command[512] = L"";
  DWORD bytes = sizeof command - sizeof(wchar_t);
  HKEY opened = nullptr;
  if (::RegOpenKeyExW(HKEY_LOCAL_MACHINE, UNINSTALL_PARENT_KEY L"\\" TARVIC_UNINSTALL_ENTRY, 0,
                      KEY_READ, &opened) != ERROR_SUCCESS)
    return;
  {
    uidriver::UniqueKey key(opened);
    if (::RegQueryValueExW(key.get(), UNINSTALL_STRING_VALUE, nullptr, nullptr,
                           reinterpret_cast<BYTE*>(command), &bytes) != ERROR_SUCCESS)
      return;
  }
  STARTUPINFOW startup = {};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION started = {};
  if (!::CreateProcessW(nullptr, command, nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                        &started))
    return;
  uidriver::UniqueHandle process(started.hProcess);
  uidriver::UniqueHandle thread(started.hThread);
  ::WaitForSingleObject(process.get(), INFINITE);
  ::MessageBoxW(dialog, UNINSTALL_TEXT_DONE, L"TarvicUpdateHelper", MB_OK | MB_ICONEXCLAMATION);
}
#endif

INT_PTR CALLBACK BareDialog(HWND window, UINT message, WPARAM wParam, LPARAM /*lParam*/) {
  switch (message) {
    case WM_INITDIALOG: {
#ifdef BENCH_ICON
      HICON icon = ::LoadIconW(::GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDI_APP));
      ::SendMessageW(window, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(icon));
      ::SendMessageW(window, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(icon));
#endif
#ifdef BENCH_TEXT
      ::SetDlgItemTextW(window, IDC_NOTICE_TEXT, NOTICE_TEXT);
#endif
      return TRUE;
    }
    case WM_COMMAND:
      if (LOWORD(wParam) == IDCANCEL) {
        ::EndDialog(window, IDCANCEL);
        return TRUE;
      }
#ifdef BENCH_BARE_UNINSTALL
      if (LOWORD(wParam) == IDC_UNINSTALL_OLD && HIWORD(wParam) == BN_CLICKED) {
        BareUninstall(window);
        return TRUE;
      }
#endif
      return FALSE;
    default:
      return FALSE;
  }
}

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, LPWSTR, int) {
#ifdef BENCH_OUR_IMPORTS
  if (kOurImports[0] == nullptr) return 1;  // keeps the table, and with it the imports
#endif
#ifdef BENCH_COMMON_CONTROLS
  INITCOMMONCONTROLSEX controls = {};
  controls.dwSize = sizeof controls;
  controls.dwICC = ICC_WIN95_CLASSES;
  InitCommonControlsAfterStartUp(&controls);
#endif
  ::DialogBoxParamW(instance, MAKEINTRESOURCEW(IDD_NOTICE), nullptr, &BareDialog, 0);
  return 0;
}
