#include "action_fixture.h"

#include <shellapi.h>
#include <tlhelp32.h>

#include <cstdlib>
#include <memory>

#include "owned.h"
#include "remote_probe.h"
#include "wait.h"
#include "window_query.h"

namespace e2e {

namespace {

struct LocalFreer {
  void operator()(wchar_t** memory) const { ::LocalFree(memory); }
};

std::vector<PROCESSENTRY32W> Processes() {
  std::vector<PROCESSENTRY32W> processes;
  uidriver::UniqueHandle snapshot(::CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0));
  if (!snapshot) return processes;
  PROCESSENTRY32W entry = {};
  entry.dwSize = sizeof entry;
  for (BOOL more = ::Process32FirstW(snapshot.get(), &entry); more;
       more = ::Process32NextW(snapshot.get(), &entry))
    processes.push_back(entry);
  return processes;
}

IconName IconShown(HWND notice, HWND iconControl, std::wstring* error) {
  if (iconControl == nullptr) return "none";
  uidriver::RemoteProbe probe;
  if (!probe.Attach(notice, JoinPath(GetPaths().tools, L"uiprobe.dll"), error)) return IconName();
  HICON shown = nullptr;
  if (!probe.StaticIcon(iconControl, &shown)) {
    *error = probe.lastError();
    return IconName();
  }
  const struct {
    const wchar_t* id;
    const char* name;
  } kStandard[] = {{IDI_HAND, "error"},
                   {IDI_EXCLAMATION, "exclamation"},
                   {IDI_QUESTION, "question"},
                   {IDI_ASTERISK, "information"}};
  for (const auto& icon : kStandard) {
    HICON standard = nullptr;
    if (!probe.SystemIcon(icon.id, &standard)) {
      *error = probe.lastError();
      return IconName();
    }
    if (standard == shown) return icon.name;
  }
  return "not a standard icon";
}

}  // namespace

std::wstring StandinRun::Get(const std::string& name) const {
  const auto found = values.find(name);
  return found == values.end() ? std::wstring() : found->second;
}

std::vector<StandinRun> ReadRecord(const std::wstring& path) {
  std::vector<StandinRun> runs;
  const std::string text = ReadFileBytes(path);
  size_t start = 0;
  for (size_t end; (end = text.find('\n', start)) != std::string::npos; start = end + 1) {
    const std::string line = text.substr(start, end - start);
    const size_t space = line.find(' ');
    const size_t equals = line.find('=', space);
    if (space == std::string::npos || equals == std::string::npos) continue;
    const DWORD pid = std::strtoul(line.c_str(), nullptr, 10);
    auto run = runs.begin();
    while (run != runs.end() && run->pid != pid) ++run;
    if (run == runs.end()) {
      runs.push_back(StandinRun());
      runs.back().pid = pid;
      run = runs.end() - 1;
    }
    run->values[line.substr(space + 1, equals - space - 1)] = FromUtf8(line.substr(equals + 1));
  }
  return runs;
}

bool ProcessRunning(DWORD pid) {
  uidriver::UniqueHandle process(::OpenProcess(SYNCHRONIZE, FALSE, pid));
  return process && ::WaitForSingleObject(process.get(), 0) == WAIT_TIMEOUT;
}

void EndProcess(DWORD pid, const wchar_t* exeName) {
  for (const PROCESSENTRY32W& entry : Processes()) {
    if (entry.th32ProcessID != pid || ::lstrcmpiW(entry.szExeFile, exeName) != 0) continue;
    uidriver::UniqueHandle process(::OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE, FALSE, pid));
    if (process && ::TerminateProcess(process.get(), 1))
      ::WaitForSingleObject(process.get(), kExitTimeoutMs);
  }
}

std::vector<DWORD> ChildProcessesOf(DWORD parent) {
  std::vector<DWORD> children;
  for (const PROCESSENTRY32W& entry : Processes())
    if (entry.th32ParentProcessID == parent && ProcessRunning(entry.th32ProcessID))
      children.push_back(entry.th32ProcessID);
  return children;
}

std::vector<DWORD> ProcessesNamed(const wchar_t* exeName) {
  std::vector<DWORD> found;
  for (const PROCESSENTRY32W& entry : Processes())
    if (::lstrcmpiW(entry.szExeFile, exeName) == 0 && ProcessRunning(entry.th32ProcessID))
      found.push_back(entry.th32ProcessID);
  return found;
}

std::vector<std::wstring> SplitCommandLine(const std::wstring& commandLine) {
  std::vector<std::wstring> arguments;
  int count = 0;
  std::unique_ptr<wchar_t*, LocalFreer> split(::CommandLineToArgvW(commandLine.c_str(), &count));
  for (int i = 0; split && i < count; ++i) arguments.push_back(split.get()[i]);
  return arguments;
}

testing::AssertionResult WaitForBox(Notice& notice, DWORD timeoutMs, ShownBox* box) {
  HWND window = uidriver::WaitForMessageBox(notice.process().id(), timeoutMs);
  if (window == nullptr)
    return testing::AssertionFailure() << "no message box within " << timeoutMs << " ms";
  // A box can be seen a moment before its caption and text are filled in;
  // give them that moment, then read what is there.
  const DWORD kFilledInMs = 2000;
  uidriver::WaitUntil(kFilledInMs, [&] {
    uidriver::MessageBoxInfo info;
    return uidriver::ReadMessageBox(window, &info) && !info.caption.empty() && !info.text.empty();
  });
  *box = ShownBox();
  if (!uidriver::ReadMessageBox(window, &box->info))
    return testing::AssertionFailure() << "the box could not be read";
  std::wstring error;
  box->icon = IconShown(notice.window(), box->info.iconControl, &error);
  if (box->icon.empty())
    return testing::AssertionFailure() << "the box's icon could not be asked: " << error;
  return testing::AssertionSuccess();
}

testing::AssertionResult CheckAndDismiss(const ShownBox& box, HWND notice,
                                         const ExpectedBox& expected) {
  const uidriver::MessageBoxInfo& info = box.info;
  testing::AssertionResult result = testing::AssertionSuccess();
  bool failed = false;
  auto fail = [&]() -> testing::AssertionResult& {
    if (!failed) result = testing::AssertionFailure();
    failed = true;
    return result;
  };
  if (info.text != expected.text)
    fail() << "\n  text: expected \"" << expected.text << "\", seen \"" << info.text << "\"";
  if (box.icon != expected.icon)
    fail() << "\n  icon: expected " << expected.icon << ", seen " << box.icon;
  if (info.caption != expected.caption)
    fail() << "\n  caption: expected \"" << expected.caption << "\", seen \"" << info.caption
           << "\"";
  if (info.owner != notice)
    fail() << "\n  owner: expected the notice " << notice << ", seen " << info.owner;
  if (info.buttons.size() != 1 || info.buttons[0].id != IDOK)
    fail() << "\n  buttons: expected only OK (id 1), seen " << info.buttons.size()
           << (info.buttons.empty() ? "" : ", the first with id ")
           << (info.buttons.empty() ? 0 : info.buttons[0].id);

  if (!uidriver::PressButton(info.window, IDOK)) return fail() << "\n  pressing OK failed";
  if (!uidriver::WaitForWindowGone(info.window, kReactTimeoutMs))
    return fail() << "\n  the box was still there " << kReactTimeoutMs << " ms after OK";
  // The box gives the notice back its input once it is gone.
  if (!uidriver::WaitUntil(kReactTimeoutMs, [&] { return ::IsWindowEnabled(notice) != FALSE; }))
    fail() << "\n  the notice stayed disabled after the box";
  return result;
}

bool TextWithin(HWND window, DWORD timeoutMs, std::wstring* text) {
  wchar_t buffer[4096] = L"";
  DWORD_PTR copied = 0;
  if (!::SendMessageTimeoutW(window, WM_GETTEXT, ARRAYSIZE(buffer),
                             reinterpret_cast<LPARAM>(buffer), SMTO_NORMAL, timeoutMs, &copied))
    return false;
  text->assign(buffer, copied < ARRAYSIZE(buffer) ? copied : ARRAYSIZE(buffer) - 1);
  return true;
}

std::vector<HWND> OtherWindowsOf(Notice& notice) {
  uidriver::WindowMatch match;
  match.processId = notice.process().id();
  match.exclude = notice.window();
  return uidriver::FindTopLevelWindows(match);
}

bool ClickAt(int x, int y) {
  const int width = ::GetSystemMetrics(SM_CXSCREEN), height = ::GetSystemMetrics(SM_CYSCREEN);
  if (width <= 1 || height <= 1) return false;
  INPUT events[3] = {};
  for (INPUT& event : events) event.type = INPUT_MOUSE;
  events[0].mi.dx = x * 65535 / (width - 1);
  events[0].mi.dy = y * 65535 / (height - 1);
  events[0].mi.dwFlags = MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE;
  events[1].mi.dwFlags = MOUSEEVENTF_LEFTDOWN;
  events[2].mi.dwFlags = MOUSEEVENTF_LEFTUP;
  return ::SendInput(ARRAYSIZE(events), events, sizeof(INPUT)) == ARRAYSIZE(events);
}

bool PostClick(HWND notice, int id) {
  HWND button = ::GetDlgItem(notice, id);
  return button != nullptr && ::PostMessageW(button, BM_CLICK, 0, 0) != 0;
}

testing::AssertionResult ClickUninstall(const Notice& notice) {
  const int kUninstallButton = 1001;
  if (!PostClick(notice.window(), kUninstallButton))
    return testing::AssertionFailure() << "cannot click 卸载旧软件";
  return testing::AssertionSuccess();
}

testing::AssertionResult WaitUntilHandled(Notice& notice) {
  uidriver::RemoteProbe probe;
  std::wstring error;
  UINT mode = 0;
  if (!probe.Attach(notice.window(), JoinPath(GetPaths().tools, L"uiprobe.dll"), &error))
    return testing::AssertionFailure() << "cannot reach into the program: " << error;
  if (!probe.ErrorMode(&mode))
    return testing::AssertionFailure()
           << "the program did not take its messages: " << probe.lastError();
  return testing::AssertionSuccess();
}

}  // namespace e2e
