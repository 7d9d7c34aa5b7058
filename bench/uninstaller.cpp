// The benchmark's stand-in for the old edition's uninstaller. It does what a
// quick, successful uninstall does, as fast as it can, and stamps the moment
// it exits (exit_clock.h), so the driver can tell how long the notice then
// takes to show the outcome.
//
//   bench_uninstaller.exe              removes the uninstall entry, then exits
//   bench_uninstaller.exe --hand-off   starts a second instance of itself
//                                      (with --second) and exits at once,
//                                      leaving the removal to it
//
// Every instance stamps its exit as its last step.
#include <windows.h>

#include <cwchar>
#include <string>

#include "actions/uninstall_key.h"
#include "exit_clock.h"
#include "owned.h"

namespace {

std::wstring OwnPath() {
  wchar_t path[MAX_PATH] = L"";
  const DWORD length = ::GetModuleFileNameW(nullptr, path, ARRAYSIZE(path));
  return length > 0 && length < ARRAYSIZE(path) ? std::wstring(path, length) : std::wstring();
}

bool HasArgument(const wchar_t* argument) {
  return std::wcsstr(::GetCommandLineW(), argument) != nullptr;
}

void StartSecond() {
  const std::wstring program = OwnPath();
  if (program.empty()) return;
  std::wstring commandLine = L"\"" + program + L"\" --second";
  STARTUPINFOW startup = {};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION started = {};
  if (!::CreateProcessW(program.c_str(), &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr,
                        nullptr, &startup, &started))
    return;
  uidriver::UniqueHandle process(started.hProcess);
  uidriver::UniqueHandle thread(started.hThread);
}

}  // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, LPWSTR, int) {
  bench::SharedExitClock clock;
  const bool stamped = clock.Open(false);

  if (HasArgument(L"--hand-off")) {
    StartSecond();
  } else {
    ::RegDeleteKeyW(HKEY_LOCAL_MACHINE, UNINSTALL_PARENT_KEY L"\\" TARVIC_UNINSTALL_ENTRY);
  }

  if (stamped) bench::StampExit(clock.get());
  return 0;
}
