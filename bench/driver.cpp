// bench_driver.exe: what a user of the notice waits for, and what it costs,
// measured from inside Wine. It prints one line of "name=value" fields per
// sample for tools/benchmark.sh to sum up, and asserts nothing.
//
//   bench_driver.exe startup RUNS NAME=PROGRAM...
//     Starts the programs in turn, each round beginning with the next one,
//     RUNS times each after one start of each that is not counted. For
//     each start: the time from just before CreateProcessW until the dialog
//     is visible and painted (window_state.h), and until the screen came to
//     show its second button as it then stays; and its peak working set
//     0.3 s after it painted.
//   bench_driver.exe clicks UNINSTALLER ROUNDS NAME=PROGRAM...
//     Starts the programs once each and clicks their "卸载旧软件" in turn, each
//     time with the benchmark's stand-in registered as the uninstaller. The
//     first program is clicked in every one of ROUNDS rounds: directly in odd
//     ones, with --hand-off in even ones (the stand-in starts a second
//     instance and exits, the second removes the entry). The others are
//     clicked in odd rounds only, directly, so that each of their clicks has
//     one of the first program's beside it in time. For each click: the time from the last stand-in's exit
//     stamp (exit_clock.h) until the outcome box exists, is visible, is
//     painted and is on the screen. After each program's first three
//     clicks, every tenth and its last: its handles, windows and memory.
//   bench_driver.exe exits UNINSTALLER RUNS
//     Runs the stand-in directly and waits for it, RUNS times: the time from
//     its exit stamp until a process waiting for its handle wakes, which is
//     what any program's wait for an uninstaller starts with.
#include <windows.h>

#include <cstdio>
#include <cwchar>
#include <memory>
#include <string>
#include <vector>

#include "actions/uninstall_key.h"
#include "actions/uninstall_texts.h"
#include "exit_clock.h"
#include "message_box.h"
#include "owned.h"
#include "process.h"
#include "process_facts.h"
#include "res/resource.h"
#include "screen.h"
#include "wait.h"
#include "window_query.h"
#include "window_state.h"

namespace {

const DWORD kAppearTimeoutMs = 30000;
const DWORD kExitTimeoutMs = 10000;
const DWORD kUninstallTimeoutMs = 30000;
const DWORD kBoxTimeoutMs = 10000;
// How long a shown window or box is left alone before its memory is read or
// it is dismissed; meanwhile the screen is watched.
const DWORD kSettleMs = 300;
// Besides after the first three clicks and the last, what clicks cost is
// read after every this many.
const int kCostEvery = 10;
// Between two looks at the windows: short against what is measured.
const DWORD kPollMs = 2;

LONGLONG Now() {
  LARGE_INTEGER now;
  ::QueryPerformanceCounter(&now);
  return now.QuadPart;
}

double Milliseconds(LONGLONG from, LONGLONG to) {
  static const LONGLONG frequency = [] {
    LARGE_INTEGER f;
    ::QueryPerformanceFrequency(&f);
    return f.QuadPart;
  }();
  return static_cast<double>(to - from) * 1000.0 / static_cast<double>(frequency);
}

void Fail(const wchar_t* what, const std::wstring& detail = std::wstring()) {
  std::fwprintf(stderr, L"bench_driver: %ls%ls%ls\n", what, detail.empty() ? L"" : L": ",
                detail.c_str());
}

std::wstring FolderOf(const std::wstring& path) {
  const size_t slash = path.find_last_of(L"\\/");
  return slash == std::wstring::npos ? std::wstring() : path.substr(0, slash);
}

// A program started as a user starts it (no job, no inherited handles), and
// ended when it outlives its owner.
class Launched {
 public:
  Launched() = default;
  ~Launched() {
    if (Running()) {
      ::TerminateProcess(process_.get(), 1);
      ::WaitForSingleObject(process_.get(), kExitTimeoutMs);
    }
  }
  Launched(const Launched&) = delete;
  Launched& operator=(const Launched&) = delete;

  bool Start(const std::wstring& exe) {
    std::wstring commandLine = L"\"" + exe + L"\"";
    const std::wstring folder = FolderOf(exe);
    STARTUPINFOW startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION started = {};
    if (!::CreateProcessW(exe.c_str(), &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr,
                          folder.empty() ? nullptr : folder.c_str(), &startup, &started))
      return false;
    process_.Reset(started.hProcess);
    uidriver::UniqueHandle thread(started.hThread);
    id_ = started.dwProcessId;
    return true;
  }

  bool Running() const {
    return process_ && ::WaitForSingleObject(process_.get(), 0) == WAIT_TIMEOUT;
  }
  bool WaitForExit(DWORD timeoutMs) const {
    return !process_ || ::WaitForSingleObject(process_.get(), timeoutMs) == WAIT_OBJECT_0;
  }
  HANDLE handle() const { return process_.get(); }
  DWORD id() const { return id_; }

 private:
  uidriver::UniqueHandle process_;
  DWORD id_ = 0;
};

// The first visible dialog of the process, once it is painted; null when
// that takes longer than `timeoutMs` or the process ends first. `visibleAt`
// gets the moment it was first seen visible.
HWND WaitForPaintedDialog(const Launched& program, DWORD timeoutMs, LONGLONG* visibleAt) {
  HWND window = nullptr;
  *visibleAt = 0;
  const bool painted = uidriver::WaitUntil(timeoutMs, [&] {
    if (window == nullptr) {
      for (HWND dialog : bench::DialogsOf(program.id(), nullptr)) {
        if (::IsWindowVisible(dialog)) {
          window = dialog;
          *visibleAt = Now();
          break;
        }
      }
      if (window == nullptr) return !program.Running();
    }
    return bench::ShownAndPainted(window) || !program.Running();
  }, kPollMs);
  return painted && program.Running() ? window : nullptr;
}

bool CaptureWindow(HWND window, uidriver::Image* image) {
  RECT rect;
  return ::GetWindowRect(window, &rect) && uidriver::CaptureScreen(rect, image);
}

// More changes than a settling control shows; bounds the watch.
const int kMaxScreenChanges = 64;

// When the screen came to show what `control` shows once it has settled:
// captures it every kPollMs for `settleMs` and returns the moment of the last
// change seen, or `since` when it showed the same from the first capture on.
// 0 when it cannot be captured, or kept changing.
LONGLONG SettledOnScreenAt(HWND control, LONGLONG since, DWORD settleMs) {
  uidriver::Image previous, current;
  if (!CaptureWindow(control, &previous)) return 0;
  LONGLONG changedAt = since;
  int changes = 0;
  const DWORD start = ::GetTickCount();
  while (::GetTickCount() - start < settleMs) {
    ::Sleep(kPollMs);
    if (!CaptureWindow(control, &current)) return 0;
    if (current.pixels != previous.pixels) {
      changedAt = Now();
      if (++changes > kMaxScreenChanges) return 0;
      previous = std::move(current);
    }
  }
  return changedAt;
}

void Close(Launched& program, HWND window) {
  ::PostMessageW(window, WM_SYSCOMMAND, SC_CLOSE, 0);
  if (!program.WaitForExit(kExitTimeoutMs)) Fail(L"a program did not close; it is ended");
}

// One start of `exe`; prints its line unless `counted` is false.
bool MeasureStart(const wchar_t* name, const std::wstring& exe, bool counted) {
  Launched program;
  const LONGLONG start = Now();
  if (!program.Start(exe)) {
    Fail(L"cannot start", exe);
    return false;
  }
  LONGLONG visibleAt = 0;
  HWND window = WaitForPaintedDialog(program, kAppearTimeoutMs, &visibleAt);
  const LONGLONG paintedAt = Now();
  if (window == nullptr) {
    Fail(L"no painted dialog", exe);
    return false;
  }

  // When did the screen show it? The second button is neither focused nor
  // default, so once drawn it does not change.
  HWND button = ::GetDlgItem(window, IDC_DOWNLOAD_NEW);
  const LONGLONG onScreenAt =
      button != nullptr ? SettledOnScreenAt(button, paintedAt, kSettleMs) : 0;

  bench::ProcessFacts facts;
  const bool memoryRead = bench::ReadProcessFacts(program.handle(), program.id(), &facts);
  Close(program, window);
  if (!memoryRead) {
    Fail(L"cannot read the memory counters", exe);
    return false;
  }
  if (counted) {
    std::wprintf(L"startup program=%ls painted_ms=%.2f visible_ms=%.2f screen_ms=%.2f "
                 L"peak_ws=%llu ws=%llu handles=%u\n",
                 name, Milliseconds(start, paintedAt), Milliseconds(start, visibleAt),
                 onScreenAt != 0 ? Milliseconds(start, onScreenAt) : -1.0,
                 static_cast<unsigned long long>(facts.peakWorkingSet),
                 static_cast<unsigned long long>(facts.workingSet), facts.handles);
    std::fflush(stdout);
  }
  return true;
}

struct Program {
  std::wstring name;
  std::wstring path;
};

int Startup(const std::vector<Program>& programs, int runs) {
  // The first start after others pays for what later ones find cached.
  for (const Program& program : programs)
    if (!MeasureStart(program.name.c_str(), program.path, false)) return 1;
  for (int round = 0; round < runs; ++round) {
    for (size_t turn = 0; turn < programs.size(); ++turn) {
      const Program& program = programs[(round + turn) % programs.size()];
      if (!MeasureStart(program.name.c_str(), program.path, true)) return 1;
    }
  }
  return 0;
}

const wchar_t kEntryPath[] = UNINSTALL_PARENT_KEY L"\\" TARVIC_UNINSTALL_ENTRY;

bool RegisterUninstaller(const std::wstring& command) {
  HKEY created = nullptr;
  if (::RegCreateKeyExW(HKEY_LOCAL_MACHINE, kEntryPath, 0, nullptr, 0, KEY_SET_VALUE, nullptr,
                        &created, nullptr) != ERROR_SUCCESS)
    return false;
  uidriver::UniqueKey key(created);
  return ::RegSetValueExW(key.get(), UNINSTALL_STRING_VALUE, 0, REG_SZ,
                          reinterpret_cast<const BYTE*>(command.c_str()),
                          static_cast<DWORD>((command.size() + 1) * sizeof(wchar_t))) ==
         ERROR_SUCCESS;
}

void PrintCost(const wchar_t* name, int click, const Launched& program) {
  ::Sleep(kSettleMs);
  bench::ProcessFacts facts;
  if (!bench::ReadProcessFacts(program.handle(), program.id(), &facts)) {
    Fail(L"cannot read the memory counters after a click");
    return;
  }
  std::wprintf(L"cost program=%ls click=%d handles=%d windows=%u ws=%llu private=%llu "
               L"pagefile=%llu peak_ws=%llu\n",
               name, click, facts.handlesKnown ? static_cast<int>(facts.handles) : -1,
               facts.windows, static_cast<unsigned long long>(facts.workingSet),
               static_cast<unsigned long long>(facts.privateBytes),
               static_cast<unsigned long long>(facts.pagefile),
               static_cast<unsigned long long>(facts.peakWorkingSet));
  std::fflush(stdout);
}

// One click of "卸载旧软件" through to the outcome box, which it dismisses.
bool MeasureClick(const wchar_t* name, const Launched& program, HWND notice,
                  bench::ExitClock* clock, const std::wstring& uninstaller, bool handOff) {
  if (!RegisterUninstaller(L"\"" + uninstaller + L"\"" + (handOff ? L" --hand-off" : L""))) {
    Fail(L"cannot register the stand-in uninstaller");
    return false;
  }
  clock->lastExit = 0;
  clock->exits = 0;
  HWND button = ::GetDlgItem(notice, IDC_UNINSTALL_OLD);
  if (button == nullptr || !::PostMessageW(button, BM_CLICK, 0, 0)) {
    Fail(L"cannot click the uninstall button");
    return false;
  }

  const LONG expectedExits = handOff ? 2 : 1;
  if (!uidriver::WaitUntil(kUninstallTimeoutMs, [&] { return clock->exits >= expectedExits; },
                           kPollMs)) {
    Fail(L"the stand-in uninstaller did not finish");
    return false;
  }
  const LONGLONG exitedAt = clock->lastExit;

  HWND box = nullptr;
  LONGLONG createdAt = 0, visibleAt = 0, paintedAt = 0;
  HWND seen = nullptr;
  uidriver::WaitUntil(kBoxTimeoutMs, [&] {
    if (seen == nullptr) {
      const std::vector<HWND> dialogs = bench::DialogsOf(program.id(), notice);
      if (dialogs.empty()) return !program.Running();
      seen = dialogs.front();
      createdAt = Now();
    }
    if (visibleAt == 0 && ::IsWindowVisible(seen)) visibleAt = Now();
    if (visibleAt != 0 && bench::ShownAndPainted(seen)) {
      paintedAt = Now();
      box = seen;
      return true;
    }
    return !::IsWindow(seen) || !program.Running();
  }, kPollMs);
  if (box == nullptr) {
    Fail(L"no outcome box appeared");
    return false;
  }

  HWND textControl = ::GetDlgItem(box, uidriver::kMessageBoxTextId);
  const std::wstring text = uidriver::WindowText(textControl);
  const LONGLONG onScreenAt =
      textControl != nullptr ? SettledOnScreenAt(textControl, paintedAt, kSettleMs) : 0;
  std::wprintf(L"outcome program=%ls mode=%ls painted_ms=%.2f visible_ms=%.2f created_ms=%.2f "
               L"screen_ms=%.2f text_ok=%d\n",
               name, handOff ? L"hand-off" : L"direct", Milliseconds(exitedAt, paintedAt),
               Milliseconds(exitedAt, visibleAt), Milliseconds(exitedAt, createdAt),
               onScreenAt != 0 ? Milliseconds(exitedAt, onScreenAt) : -1.0,
               text == UNINSTALL_TEXT_DONE ? 1 : 0);
  std::fflush(stdout);

  if (!uidriver::PressButton(box, IDOK) || !uidriver::WaitForWindowGone(box, kBoxTimeoutMs) ||
      !uidriver::WaitUntil(kBoxTimeoutMs, [&] { return ::IsWindowEnabled(notice) != FALSE; })) {
    Fail(L"the outcome box could not be dismissed");
    return false;
  }
  return true;
}

// A program whose uninstall button is clicked, and how often so far.
struct Clicked {
  std::wstring name;
  Launched program;
  HWND notice = nullptr;
  int clicks = 0;
  int total = 0;
};

int Clicks(const std::wstring& uninstaller, int rounds, const std::vector<Program>& programs) {
  bench::SharedExitClock clock;
  if (!clock.Open(true)) {
    Fail(L"cannot make the exit clock", uidriver::LastErrorText(L"CreateFileMapping"));
    return 1;
  }
  // Each one's own: a Launched neither moves nor copies.
  std::vector<std::unique_ptr<Clicked>> clicked;
  for (const Program& program : programs) {
    clicked.push_back(std::make_unique<Clicked>());
    Clicked& c = *clicked.back();
    c.name = program.name;
    c.total = clicked.size() == 1 ? rounds : (rounds + 1) / 2;
    if (!c.program.Start(program.path)) {
      Fail(L"cannot start", program.path);
      return 1;
    }
    LONGLONG visibleAt = 0;
    c.notice = WaitForPaintedDialog(c.program, kAppearTimeoutMs, &visibleAt);
    if (c.notice == nullptr) {
      Fail(L"no painted notice", program.path);
      return 1;
    }
  }
  ::Sleep(kSettleMs);
  for (int round = 1; round <= rounds; ++round) {
    const bool odd = round % 2 == 1;
    for (size_t i = 0; i < clicked.size(); ++i) {
      Clicked& c = *clicked[i];
      if (i > 0 && !odd) continue;
      const bool handOff = i == 0 && !odd;
      ++c.clicks;
      if (!MeasureClick(c.name.c_str(), c.program, c.notice, clock.get(), uninstaller, handOff))
        return 1;
      if (c.clicks <= 3 || c.clicks % kCostEvery == 0 || c.clicks == c.total)
        PrintCost(c.name.c_str(), c.clicks, c.program);
    }
  }
  for (const auto& c : clicked) Close(c->program, c->notice);
  ::RegDeleteKeyW(HKEY_LOCAL_MACHINE, kEntryPath);
  return 0;
}

int Exits(const std::wstring& uninstaller, int runs) {
  bench::SharedExitClock clock;
  if (!clock.Open(true)) {
    Fail(L"cannot make the exit clock", uidriver::LastErrorText(L"CreateFileMapping"));
    return 1;
  }
  for (int run = 0; run <= runs; ++run) {
    if (!RegisterUninstaller(L"\"" + uninstaller + L"\"")) {
      Fail(L"cannot register the stand-in uninstaller");
      return 1;
    }
    clock.get()->lastExit = 0;
    clock.get()->exits = 0;
    Launched standin;
    if (!standin.Start(uninstaller)) {
      Fail(L"cannot start", uninstaller);
      return 1;
    }
    if (!standin.WaitForExit(kUninstallTimeoutMs)) {
      Fail(L"the stand-in uninstaller did not finish");
      return 1;
    }
    const LONGLONG wokeAt = Now();
    // The first run only warms up.
    if (run > 0 && clock.get()->exits == 1) {
      std::wprintf(L"exit wake_ms=%.2f\n", Milliseconds(clock.get()->lastExit, wokeAt));
      std::fflush(stdout);
    }
  }
  return 0;
}

int Usage() {
  std::fputs(
      "usage: bench_driver.exe startup RUNS NAME=PROGRAM...\n"
      "       bench_driver.exe clicks UNINSTALLER ROUNDS NAME=PROGRAM...\n"
      "       bench_driver.exe exits UNINSTALLER RUNS\n",
      stderr);
  return 2;
}

int Count(const wchar_t* text) {
  wchar_t* end = nullptr;
  const long count = std::wcstol(text, &end, 10);
  return end != text && *end == L'\0' && count > 0 && count <= 1000 ? static_cast<int>(count) : 0;
}

// NAME=PROGRAM arguments from `first` on; false when one is not.
bool ReadPrograms(int argc, wchar_t** argv, int first, std::vector<Program>* programs) {
  for (int i = first; i < argc; ++i) {
    const wchar_t* equals = std::wcschr(argv[i], L'=');
    if (equals == nullptr || equals == argv[i]) return false;
    programs->push_back({std::wstring(argv[i], static_cast<size_t>(equals - argv[i])), equals + 1});
  }
  return !programs->empty();
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  std::vector<Program> programs;
  if (argc >= 4 && std::wcscmp(argv[1], L"startup") == 0 && Count(argv[2]) > 0 &&
      ReadPrograms(argc, argv, 3, &programs))
    return Startup(programs, Count(argv[2]));
  if (argc >= 5 && std::wcscmp(argv[1], L"clicks") == 0 && Count(argv[3]) > 0 &&
      ReadPrograms(argc, argv, 4, &programs))
    return Clicks(argv[2], Count(argv[3]), programs);
  if (argc == 4 && std::wcscmp(argv[1], L"exits") == 0 && Count(argv[3]) > 0)
    return Exits(argv[2], Count(argv[3]));
  return Usage();
}
