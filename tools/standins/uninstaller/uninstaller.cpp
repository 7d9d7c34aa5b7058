// Stand-in for the old edition's uninstaller, registered by the end-to-end
// tests as the command line "卸载旧软件" runs. It records how it was started
// and then ends the way its options say a real uninstaller might.
//
// Record (to the file settings.h names; see record.h), first in one write:
//   start, commandLine, program, errorMode, startup ("cb flags show"),
//   stdHandles ("input output error"), currentDirectory;
// then, as it goes: started=<pid> for a process it starts, broadcast=answered;
// and last "end", written just before its final step (removing the uninstall
// key, or returning): whatever a test sees once the uninstall is over, it
// sees after that line. Clocks need not agree for that.
//
// Options, done in this order whatever order they come in:
//   --sleep=MS        wait that long first
//   --broadcast       SendMessage(HWND_BROADCAST, WM_SETTINGCHANGE, 0, "Environment")
//   --leave-child=MS  start a copy of itself that only sleeps MS (or until killed)
//   --hand-off=MS     copy itself to %TEMP% and start the copy with
//                     "--sleep=MS --delete-key"; the copy file is left for the test
//   --delete-key      remove HKLM\...\Uninstall\Tarvic
//   --pad...          ignored, to make a command line as long as a test needs
// With no --delete-key the uninstall is left undone, as when it is cancelled.
// Any other argument is recorded as unknownOption, and nothing is done.
#include <windows.h>
// After windows.h, which it needs.
#include <shellapi.h>

#include <cwchar>
#include <memory>
#include <string>

#include "actions/uninstall_key.h"
#include "owned.h"
#include "record/record.h"
#include "uninstaller/settings.h"

namespace {

std::wstring RecordPath() { return standin::Environment(UNINSTALLER_STANDIN_RECORD_VARIABLE); }

struct Options {
  DWORD sleepMs = 0;
  bool broadcast = false;
  DWORD leaveChildMs = 0;
  DWORD handOffMs = 0;
  bool deleteKey = false;
  std::wstring unknown;
};

struct LocalFreer {
  void operator()(wchar_t** memory) const { ::LocalFree(memory); }
};

// "--name=MS": true, and the number, when `argument` is that option.
bool NumberOption(const wchar_t* argument, const wchar_t* name, DWORD* value) {
  const size_t length = wcslen(name);
  if (wcsncmp(argument, name, length) != 0 || argument[length] != L'=') return false;
  *value = wcstoul(argument + length + 1, nullptr, 10);
  return true;
}

Options ParseOptions() {
  Options options;
  int count = 0;
  std::unique_ptr<wchar_t*, LocalFreer> arguments(
      ::CommandLineToArgvW(::GetCommandLineW(), &count));
  for (int i = 1; arguments && i < count; ++i) {
    const wchar_t* argument = arguments.get()[i];
    if (NumberOption(argument, L"--sleep", &options.sleepMs) ||
        NumberOption(argument, L"--leave-child", &options.leaveChildMs) ||
        NumberOption(argument, L"--hand-off", &options.handOffMs) ||
        wcsncmp(argument, L"--pad", 5) == 0)
      continue;
    if (wcscmp(argument, L"--broadcast") == 0) {
      options.broadcast = true;
    } else if (wcscmp(argument, L"--delete-key") == 0) {
      options.deleteKey = true;
    } else if (options.unknown.empty()) {
      options.unknown = argument;
    }
  }
  return options;
}

UINT ErrorMode() {
  using GetErrorModeCall = UINT(WINAPI*)();
  auto call = reinterpret_cast<GetErrorModeCall>(reinterpret_cast<void*>(
      ::GetProcAddress(::GetModuleHandleW(L"kernel32.dll"), "GetErrorMode")));
  if (call != nullptr) return call();
  const UINT mode = ::SetErrorMode(0);
  ::SetErrorMode(mode);
  return mode;
}

std::wstring OwnPath() {
  wchar_t path[MAX_PATH] = L"";
  const DWORD length = ::GetModuleFileNameW(nullptr, path, ARRAYSIZE(path));
  return length > 0 && length < ARRAYSIZE(path) ? std::wstring(path, length) : std::wstring();
}

std::wstring HandleText(HANDLE handle) {
  return standin::Hex(static_cast<unsigned long>(reinterpret_cast<UINT_PTR>(handle)));
}

void RecordStart(const Options& options) {
  STARTUPINFOW startup = {};
  ::GetStartupInfoW(&startup);
  wchar_t directory[MAX_PATH] = L"";
  const DWORD length = ::GetCurrentDirectoryW(ARRAYSIZE(directory), directory);

  standin::Record record(RecordPath());
  record.Add("start", L"");
  record.Add("commandLine", ::GetCommandLineW());
  record.Add("program", OwnPath());
  record.Add("errorMode", standin::Hex(ErrorMode()));
  record.Add("startup", std::to_wstring(startup.cb) + L" " + standin::Hex(startup.dwFlags) + L" " +
                            std::to_wstring(startup.wShowWindow));
  record.Add("stdHandles", HandleText(startup.hStdInput) + L" " + HandleText(startup.hStdOutput) +
                               L" " + HandleText(startup.hStdError));
  record.Add("currentDirectory",
             length > 0 && length < ARRAYSIZE(directory) ? directory : L"(too long)");
  if (!options.unknown.empty()) record.Add("unknownOption", options.unknown);
  record.Write();
}

// Starts `program` with these arguments, not waiting for it.
void StartCopy(const std::wstring& program, const std::wstring& arguments) {
  std::wstring commandLine = L"\"" + program + L"\" " + arguments;
  STARTUPINFOW startup = {};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION started = {};
  standin::Record record(RecordPath());
  if (::CreateProcessW(program.c_str(), &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr,
                       nullptr, &startup, &started)) {
    uidriver::UniqueHandle process(started.hProcess);
    uidriver::UniqueHandle thread(started.hThread);
    record.Add("started", std::to_wstring(started.dwProcessId));
  } else {
    record.Add("startFailed", program + L": error " + std::to_wstring(::GetLastError()));
  }
  record.Write();
}

// Where an uninstaller that must not hold its own file puts the copy it runs.
std::wstring TempCopyPath() {
  wchar_t folder[MAX_PATH + 1] = L"";
  const DWORD length = ::GetTempPathW(ARRAYSIZE(folder), folder);
  if (length == 0 || length >= ARRAYSIZE(folder)) return std::wstring();
  return std::wstring(folder, length) + L"tarvic-uninstall-" +
         std::to_wstring(::GetCurrentProcessId()) + L".exe";
}

void HandOff(DWORD sleepMs) {
  const std::wstring copy = TempCopyPath();
  if (copy.empty() || !::CopyFileW(OwnPath().c_str(), copy.c_str(), FALSE)) {
    standin::Record record(RecordPath());
    record.Add("copyFailed", copy + L": error " + std::to_wstring(::GetLastError()));
    record.Write();
    return;
  }
  StartCopy(copy, L"--sleep=" + std::to_wstring(sleepMs) + L" --delete-key");
}

}  // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, LPWSTR, int) {
  const Options options = ParseOptions();
  RecordStart(options);
  if (!options.unknown.empty()) return 2;

  if (options.sleepMs > 0) ::Sleep(options.sleepMs);
  if (options.broadcast) {
    ::SendMessageW(HWND_BROADCAST, WM_SETTINGCHANGE, 0, reinterpret_cast<LPARAM>(L"Environment"));
    standin::Record record(RecordPath());
    record.Add("broadcast", L"answered");
    record.Write();
  }
  if (options.leaveChildMs > 0)
    StartCopy(OwnPath(), L"--sleep=" + std::to_wstring(options.leaveChildMs));
  if (options.handOffMs > 0) HandOff(options.handOffMs);

  standin::Record end(RecordPath());
  end.Add("end", L"");
  end.Write();
  if (options.deleteKey)
    ::RegDeleteKeyW(HKEY_LOCAL_MACHINE, UNINSTALL_PARENT_KEY L"\\" TARVIC_UNINSTALL_ENTRY);
  return 0;
}
