// uidriver.exe: the driver's commands for scripts.
//   uidriver.exe wait-window TITLE TIMEOUT_MS   exit 0 once a visible top-level
//                                               window with that caption exists
//   uidriver.exe close-window TITLE             close it as the close box does
//                                               and wait until it is gone
#include <windows.h>

#include <cstdio>
#include <cwchar>
#include <string>

#include "input.h"
#include "window_query.h"

namespace {

const DWORD kCloseTimeoutMs = 10000;

int Usage() {
  std::fputs(
      "usage: uidriver.exe wait-window TITLE TIMEOUT_MS\n"
      "       uidriver.exe close-window TITLE\n",
      stderr);
  return 2;
}

uidriver::WindowMatch Titled(const wchar_t* title) {
  uidriver::WindowMatch match;
  match.caption = title;
  return match;
}

int WaitWindow(const wchar_t* title, const wchar_t* timeoutText) {
  wchar_t* end = nullptr;
  const unsigned long timeout = std::wcstoul(timeoutText, &end, 10);
  if (end == timeoutText || *end != L'\0') return Usage();
  if (uidriver::WaitForTopLevelWindow(Titled(title), timeout) == nullptr) {
    std::fprintf(stderr, "uidriver: no window appeared within %lu ms\n", timeout);
    return 1;
  }
  return 0;
}

int CloseWindow(const wchar_t* title) {
  HWND window = uidriver::WaitForTopLevelWindow(Titled(title), 0);
  if (window == nullptr) {
    std::fputs("uidriver: no such window\n", stderr);
    return 1;
  }
  if (!uidriver::PostClose(window) || !uidriver::WaitForWindowGone(window, kCloseTimeoutMs)) {
    std::fprintf(stderr, "uidriver: the window was still there after %lu ms\n", kCloseTimeoutMs);
    return 1;
  }
  return 0;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  if (argc == 4 && std::wcscmp(argv[1], L"wait-window") == 0) return WaitWindow(argv[2], argv[3]);
  if (argc == 3 && std::wcscmp(argv[1], L"close-window") == 0) return CloseWindow(argv[2]);
  return Usage();
}
