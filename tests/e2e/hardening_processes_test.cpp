// The programs the notice starts, at their worst: an uninstaller that
// crashes, one that never ends until the test ends it; and who starts the
// browser. The notice must survive them, wait as long as they run, say
// honestly what came of it, hand none of its handles on, and leave nothing
// of its own running.
#include <windows.h>

#include <gtest/gtest.h>
#include <tlhelp32.h>

#include <cwchar>
#include <string>
#include <vector>

#include "action_fixture.h"
#include "actions/uninstall_texts.h"
#include "hardening_fixture.h"
#include "harness.h"
#include "input.h"
#include "owned.h"
#include "tools/standins/uninstaller/settings.h"
#include "wait.h"

namespace {

using e2e::ExpectedBox;
using e2e::ShownBox;
using e2e::StandinRun;

const int kNoticeText = 1000;
const int kDownloadButton = 1002;
const wchar_t kCaption[] = L"TarvicUpdateHelper";
// As long as one Sleep can wait: until the process is ended.
const wchar_t kForever[] = L"4294967295";
// Long enough for an outcome shown too early to be seen.
const DWORD kWatchMs = 3000;
const DWORD kAnswerMs = 2000;

// The program's folder holds the uninstaller the entry names; the uninstaller
// records into it.
class BadUninstaller : public testing::Test {
 protected:
  BadUninstaller()
      : record_(UNINSTALLER_STANDIN_RECORD_VARIABLE, folder_.File(L"uninstall-record.txt")) {}

  void TearDown() override { notice_.process().Terminate(); }

  // Registers `program` (a stand-in copied into the folder) with these
  // arguments and starts the notice.
  testing::AssertionResult Start(const wchar_t* program, const std::wstring& arguments) {
    if (!folder_.Put(e2e::Standin(program), program))
      return testing::AssertionFailure() << "cannot copy " << program;
    if (!entry_.Set(L"\"" + folder_.File(program) + L"\" " + arguments))
      return testing::AssertionFailure() << "cannot write the uninstall entry";
    if (!notice_.Start(folder_) || notice_.WaitForWindow() == nullptr)
      return testing::AssertionFailure() << "the notice did not appear: " << notice_.error();
    return testing::AssertionSuccess();
  }

  // The notice's inheritable handles, as e2e::Inheritable gives them.
  std::vector<std::wstring> InheritableHandles() {
    std::vector<e2e::HandleEntry> handles;
    EXPECT_TRUE(e2e::HandlesOf(notice_.process().id(), &handles));
    EXPECT_FALSE(handles.empty()) << "the handle table lists none of the notice's handles";
    return e2e::Inheritable(handles);
  }

  std::vector<StandinRun> Runs() const {
    return e2e::ReadRecord(folder_.File(L"uninstall-record.txt"));
  }

  // The notice is there and answers: it did not die with its uninstaller.
  testing::AssertionResult NoticeAnswers() {
    if (!notice_.process().Running()) return testing::AssertionFailure() << "the notice has ended";
    std::wstring text;
    if (!e2e::TextWithin(::GetDlgItem(notice_.window(), kNoticeText), kAnswerMs, &text))
      return testing::AssertionFailure()
             << "the notice did not answer WM_GETTEXT within " << kAnswerMs << " ms";
    return testing::AssertionSuccess();
  }

  // Nothing the notice started is still running.
  testing::AssertionResult NothingLeftRunning(const wchar_t* program) {
    const std::vector<DWORD> children = e2e::ChildProcessesOf(notice_.process().id());
    if (!children.empty())
      return testing::AssertionFailure() << "the notice's child " << children[0] << " runs";
    const std::vector<DWORD> left = e2e::ProcessesNamed(program);
    if (!left.empty())
      return testing::AssertionFailure() << program << " still runs, process " << left[0];
    return testing::AssertionSuccess();
  }

  e2e::TestFolder folder_;
  e2e::ScopedEnvironment record_;
  e2e::UninstallEntry entry_;
  e2e::Notice notice_;
};

// It writes through a null pointer once it has recorded its start; the
// prefix has Wine's crash dialog off, so it ends (after Wine's debugger has
// looked at it). The key is still there: the uninstall is not done.
TEST_F(BadUninstaller, ACrashIsReportedAsAnUnfinishedUninstall) {
  ASSERT_TRUE(Start(L"crashing_uninstaller.exe", L"/S"));
  ASSERT_TRUE(e2e::ClickUninstall(notice_));
  ShownBox box;
  ASSERT_TRUE(e2e::WaitForBox(notice_, e2e::kAppearTimeoutMs, &box));
  ASSERT_EQ(Runs().size(), 1u) << "runs of the crashing uninstaller";
  EXPECT_TRUE(e2e::CheckAndDismiss(box, notice_.window(),
                                   ExpectedBox{UNINSTALL_TEXT_NOT_DONE, "exclamation", kCaption}));
  EXPECT_TRUE(NoticeAnswers());
  EXPECT_TRUE(e2e::UninstallEntry::Exists()) << "the entry went, though the uninstaller crashed";
  EXPECT_TRUE(NothingLeftRunning(L"crashing_uninstaller.exe"));
}

// Which process never ends on its own: the uninstaller, or a child it left
// when it ended, still in the notice's job.
enum class Stuck { TheUninstaller, ItsChild };

struct StuckCase {
  const char* name;
  std::wstring arguments;
  Stuck stuck;
};

const StuckCase kStuck[] = {
    {"TheUninstaller", std::wstring(L"--sleep=") + kForever, Stuck::TheUninstaller},
    {"ItsChild", std::wstring(L"--leave-child=") + kForever, Stuck::ItsChild},
};

void PrintTo(const StuckCase& c, std::ostream* out) { *out << c.name; }

class StuckUninstaller : public BadUninstaller, public testing::WithParamInterface<StuckCase> {
 protected:
  // The process that does not end, once it has started; 0 until then.
  DWORD StuckProcess() const {
    const std::vector<StandinRun> runs = Runs();
    if (runs.empty()) return 0;
    if (GetParam().stuck == Stuck::TheUninstaller) return runs[0].pid;
    const DWORD child = wcstoul(runs[0].Get("started").c_str(), nullptr, 10);
    for (const StandinRun& run : runs)
      if (run.pid == child && run.Has("start")) return child;
    return 0;
  }
};

TEST_P(StuckUninstaller, TheNoticeWaitsForItAndReportsOnceItIsEnded) {
  ASSERT_TRUE(Start(L"uninstaller.exe", GetParam().arguments));
  // The standard handles the notice was started with are its parent's, and
  // Wine gives them to it inheritable; what it opens itself must not be.
  const std::vector<std::wstring> givenAtStart = InheritableHandles();
  ASSERT_TRUE(e2e::ClickUninstall(notice_));
  DWORD stuck = 0;
  ASSERT_TRUE(uidriver::WaitUntil(e2e::kAppearTimeoutMs, [&] { return (stuck = StuckProcess()); }))
      << "the process that never ends did not start";

  // While it runs: no outcome, the notice answers, and none of its handles
  // would pass to a program it starts.
  const DWORD watchFrom = ::GetTickCount();
  while (::GetTickCount() - watchFrom < kWatchMs) {
    ASSERT_TRUE(e2e::OtherWindowsOf(notice_).empty())
        << "a box showed " << ::GetTickCount() - watchFrom << " ms into the wait";
    ASSERT_TRUE(NoticeAnswers());
    ::Sleep(200);
  }
  ASSERT_TRUE(e2e::ProcessRunning(stuck)) << "process " << stuck << " ended by itself";
  const std::vector<std::wstring> inheritable = InheritableHandles();
  EXPECT_EQ(inheritable, givenAtStart)
      << "inheritable handles of the notice while it waits, and those it was started with";

  e2e::EndProcess(stuck, L"uninstaller.exe");
  ASSERT_FALSE(e2e::ProcessRunning(stuck)) << "the test could not end process " << stuck;
  ShownBox box;
  ASSERT_TRUE(e2e::WaitForBox(notice_, e2e::kAppearTimeoutMs, &box));
  EXPECT_TRUE(e2e::CheckAndDismiss(box, notice_.window(),
                                   ExpectedBox{UNINSTALL_TEXT_NOT_DONE, "exclamation", kCaption}));
  EXPECT_TRUE(NothingLeftRunning(L"uninstaller.exe"));

  ASSERT_TRUE(uidriver::PostClose(notice_.window()));
  std::vector<std::wstring> shown;
  EXPECT_TRUE(notice_.WaitForExit(e2e::kExitTimeoutMs, &shown)) << "still running after the close";
}

INSTANTIATE_TEST_SUITE_P(, StuckUninstaller, testing::ValuesIn(kStuck),
                         [](const testing::TestParamInfo<StuckCase>& info) {
                           return std::string(info.param.name);
                         });

// ---- the browser

struct ProcessEntry {
  DWORD parent = 0;
  std::wstring exe;
};

// The parent and file name of a running process; empty when it is not.
ProcessEntry Lookup(DWORD pid) {
  ProcessEntry found;
  uidriver::UniqueHandle snapshot(::CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0));
  if (!snapshot) return found;
  PROCESSENTRY32W entry = {};
  entry.dwSize = sizeof entry;
  for (BOOL more = ::Process32FirstW(snapshot.get(), &entry); more;
       more = ::Process32NextW(snapshot.get(), &entry)) {
    if (entry.th32ProcessID == pid) {
      found.parent = entry.th32ParentProcessID;
      found.exe = entry.szExeFile;
    }
  }
  return found;
}

// The notice runs elevated; the browser must not. Under Wine what shows it is
// the route: the desktop's shell starts the browser, not the notice. (The
// browser's integrity level can only be seen on Windows.)
TEST(BrowserRoute, TheDesktopShellStartsTheBrowserNotTheNotice) {
  e2e::TestFolder folder;
  const std::wstring record = folder.File(L"browser-record.txt");
  e2e::BrowserRecord browser(record, 2 * e2e::kReactTimeoutMs);
  ASSERT_TRUE(browser.written());
  e2e::Notice notice;
  ASSERT_TRUE(notice.Start(folder)) << notice.error();
  ASSERT_NE(notice.WaitForWindow(), nullptr) << notice.error();

  ASSERT_TRUE(e2e::PostClick(notice.window(), kDownloadButton));
  ASSERT_TRUE(uidriver::WaitUntil(e2e::kReactTimeoutMs, [&] {
    return !e2e::ReadRecord(record).empty();
  })) << "the browser did not start";
  const DWORD pid = e2e::ReadRecord(record)[0].pid;
  const ProcessEntry started = Lookup(pid);
  const ProcessEntry parent = Lookup(started.parent);
  EXPECT_NE(started.parent, notice.process().id()) << "the notice started the browser itself";
  EXPECT_EQ(::lstrcmpiW(parent.exe.c_str(), L"explorer.exe"), 0)
      << "expected the desktop's explorer.exe to have started the browser; its parent is process "
      << started.parent << ", " << (parent.exe.empty() ? L"gone" : parent.exe);
  e2e::EndProcess(pid, L"iexplore.exe");
}

}  // namespace
