// "卸载旧软件" under Wine: the test writes the uninstall entry itself, raw,
// registers our stand-in uninstaller (tools/standins/uninstaller) and reads
// back how it was started and when the notice told the user the outcome.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "action_fixture.h"
#include "actions/uninstall_key.h"
#include "actions/uninstall_texts.h"
#include "harness.h"
#include "input.h"
#include "owned.h"
#include "process.h"
#include "tools/standins/uninstaller/settings.h"
#include "wait.h"
#include "window_query.h"

namespace {

using e2e::ExpectedBox;
using e2e::Lower;
using e2e::ShownBox;
using e2e::StandinRun;

const wchar_t kEntryPath[] = UNINSTALL_PARENT_KEY L"\\" TARVIC_UNINSTALL_ENTRY;
const wchar_t kAsBuilt[] = L"TarvicUpdateHelper.exe";
// Caption of the boxes when the program keeps its name.
const wchar_t kAsBuiltName[] = L"TarvicUpdateHelper";
const int kUninstallButton = 1001;
const int kNoticeText = 1000;

// How the stand-ins' handles read in their record (record.h's Hex).
const wchar_t kNullHandle[] = L"0x00000000";
const wchar_t kInvalidHandle[] = L"0xFFFFFFFF";

std::wstring WithoutTrailingSeparator(std::wstring path) {
  if (path.size() > 3 && path.back() == L'\\') path.pop_back();
  return path;
}

// HKLM\...\Uninstall\Tarvic as the test writes it, in the registry view of
// this 32-bit program unless told otherwise; removed before and after.
class UninstallEntry {
 public:
  UninstallEntry() { Remove(); }
  ~UninstallEntry() { Remove(); }
  UninstallEntry(const UninstallEntry&) = delete;
  UninstallEntry& operator=(const UninstallEntry&) = delete;

  bool CreateKey(REGSAM view = 0) {
    HKEY created = nullptr;
    const LONG status = ::RegCreateKeyExW(HKEY_LOCAL_MACHINE, kEntryPath, 0, nullptr, 0,
                                          KEY_SET_VALUE | view, nullptr, &created, nullptr);
    uidriver::UniqueKey key(created);
    if (status != ERROR_SUCCESS) return false;
    // An entry has more than its command; its presence must not matter.
    const wchar_t kDisplayName[] = L"Tarvic";
    return ::RegSetValueExW(key.get(), L"DisplayName", 0, REG_SZ,
                            reinterpret_cast<const BYTE*>(kDisplayName),
                            sizeof kDisplayName) == ERROR_SUCCESS;
  }

  // UninstallString of this type, exactly these bytes.
  bool SetValue(DWORD type, const void* data, DWORD size, REGSAM view = 0) {
    if (!CreateKey(view)) return false;
    HKEY opened = nullptr;
    if (::RegOpenKeyExW(HKEY_LOCAL_MACHINE, kEntryPath, 0, KEY_SET_VALUE | view, &opened) !=
        ERROR_SUCCESS)
      return false;
    uidriver::UniqueKey key(opened);
    return ::RegSetValueExW(key.get(), UNINSTALL_STRING_VALUE, 0, type,
                            static_cast<const BYTE*>(data), size) == ERROR_SUCCESS;
  }

  // The text with its terminator, or without.
  bool SetText(const std::wstring& text, DWORD type = REG_SZ, bool terminated = true,
               REGSAM view = 0) {
    const size_t units = text.size() + (terminated ? 1 : 0);
    return SetValue(type, text.c_str(), static_cast<DWORD>(units * sizeof(wchar_t)), view);
  }

  static bool Exists(REGSAM view = 0) {
    HKEY opened = nullptr;
    const LONG status =
        ::RegOpenKeyExW(HKEY_LOCAL_MACHINE, kEntryPath, 0, KEY_READ | view, &opened);
    uidriver::UniqueKey key(opened);
    return status == ERROR_SUCCESS;
  }

 private:
  static void Remove() {
    ::RegDeleteKeyW(HKEY_LOCAL_MACHINE, kEntryPath);
    // The other view, where there is one: RegDeleteKeyExW, which XP's
    // headers do not declare.
    using DeleteInView = LONG(WINAPI*)(HKEY, const wchar_t*, REGSAM, DWORD);
    auto deleteInView = reinterpret_cast<DeleteInView>(reinterpret_cast<void*>(
        ::GetProcAddress(::GetModuleHandleW(L"advapi32.dll"), "RegDeleteKeyExW")));
    if (deleteInView != nullptr) deleteInView(HKEY_LOCAL_MACHINE, kEntryPath, KEY_WOW64_64KEY, 0);
  }
};

// One test's world: its folder holding the stand-in uninstaller and its
// record, the uninstall entry, and the program.
class UninstallTest : public testing::Test {
 protected:
  UninstallTest()
      : record_(UNINSTALLER_STANDIN_RECORD_VARIABLE, folder_.File(L"uninstall-record.txt")) {}

  void SetUp() override {
    ASSERT_TRUE(folder_.Put(e2e::JoinPath(e2e::GetPaths().tools, L"standins\\uninstaller.exe"),
                            L"uninstaller.exe"))
        << "cannot copy the stand-in uninstaller into " << folder_.path();
  }

  // Everything the uninstallers started ends with the program; what they
  // copied out of the folder goes too.
  void TearDown() override {
    const std::vector<StandinRun> runs = Runs();
    notice_.process().Terminate();
    for (const StandinRun& run : runs) {
      const std::wstring program = run.Get("program");
      if (program.empty() || Lower(program).find(Lower(folder_.path())) == 0) continue;
      EXPECT_TRUE(uidriver::WaitUntil(e2e::kExitTimeoutMs,
                                      [&] { return ::DeleteFileW(program.c_str()) != 0; }))
          << "cannot remove the uninstaller's copy " << program;
    }
  }

  std::wstring Uninstaller() const { return folder_.File(L"uninstaller.exe"); }

  // The stand-in, quoted, with these arguments.
  std::wstring Command(const std::wstring& arguments) const {
    return L"\"" + Uninstaller() + L"\" " + arguments;
  }

  // A command that removes the key, padded with an ignored argument to
  // exactly `length` characters.
  std::wstring CommandOfLength(size_t length) const {
    std::wstring command = Command(L"--delete-key --pad=");
    if (command.size() < length) command.append(length - command.size(), L'x');
    return command;
  }

  testing::AssertionResult StartNotice(const wchar_t* exeName = kAsBuilt) {
    if (!notice_.Start(folder_, exeName) || notice_.WaitForWindow() == nullptr)
      return testing::AssertionFailure() << "the notice did not appear: " << notice_.error();
    return testing::AssertionSuccess();
  }

  std::vector<StandinRun> Runs() const {
    return e2e::ReadRecord(folder_.File(L"uninstall-record.txt"));
  }

  // Nothing was started: no stand-in wrote a line, and the program has no
  // child process running.
  testing::AssertionResult StartedNothing() {
    const std::vector<StandinRun> runs = Runs();
    if (!runs.empty())
      return testing::AssertionFailure()
             << "the uninstaller was started, with \"" << runs[0].Get("commandLine") << "\"";
    const std::vector<DWORD> children = e2e::ChildProcessesOf(notice_.process().id());
    if (!children.empty())
      return testing::AssertionFailure() << "the program has a child process, id " << children[0];
    return testing::AssertionSuccess();
  }

  e2e::TestFolder folder_;
  UninstallEntry entry_;
  e2e::ScopedEnvironment record_;
  e2e::Notice notice_;
};

ExpectedBox Box(const wchar_t* text, const char* icon, const wchar_t* caption = kAsBuiltName) {
  return ExpectedBox{text, icon, caption};
}

TEST_F(UninstallTest, RunsTheRegisteredCommandLineInTheNoticesFolderWithItsStartupInfo) {
  // Spaces inside a quoted argument and between arguments reach it as they are.
  const std::wstring command = Command(L"--delete-key --pad=\"a  b\"  --pad");
  ASSERT_TRUE(entry_.SetText(command));
  ASSERT_TRUE(StartNotice());
  ASSERT_TRUE(e2e::ClickUninstall(notice_));
  ShownBox box;
  ASSERT_TRUE(e2e::WaitForBox(notice_, e2e::kAppearTimeoutMs, &box));
  EXPECT_TRUE(e2e::CheckAndDismiss(box, notice_.window(), Box(UNINSTALL_TEXT_DONE, "exclamation")));

  const std::vector<StandinRun> runs = Runs();
  ASSERT_EQ(runs.size(), 1u) << "uninstallers started for one click";
  const StandinRun& run = runs[0];
  EXPECT_EQ(run.Get("commandLine"), command);
  EXPECT_EQ(Lower(run.Get("program")), Lower(Uninstaller()));
  EXPECT_EQ(run.Get("startup"), L"68 0x00000101 1")
      << "cb, dwFlags (STARTF_USESHOWWINDOW | STARTF_USESTDHANDLES), wShowWindow (SW_SHOWNORMAL)";
  // The notice hands over no standard handles of its own; Wine shows the null
  // handles it was given as invalid ones.
  const std::vector<std::wstring> handles = e2e::SplitCommandLine(run.Get("stdHandles"));
  ASSERT_EQ(handles.size(), 3u) << "stdHandles=" << run.Get("stdHandles");
  for (const std::wstring& handle : handles)
    EXPECT_TRUE(handle == kNullHandle || handle == kInvalidHandle)
        << "a standard handle of the uninstaller is " << handle << "; expected none";
  EXPECT_EQ(Lower(WithoutTrailingSeparator(run.Get("currentDirectory"))), Lower(folder_.path()))
      << "the uninstaller's current folder; the notice's is " << folder_.path();
  EXPECT_FALSE(UninstallEntry::Exists()) << "the stand-in did not remove the key";
}

// While the uninstaller runs the notice takes no input (a click, a key); it
// only answers what other programs send it, WM_GETTEXT here.
TEST_F(UninstallTest, ReportsSuccessOnlyAfterTheUninstallerEndedAndTakesNoInputMeanwhile) {
  const DWORD kRunsMs = 4000;
  ASSERT_TRUE(entry_.SetText(Command(L"--sleep=" + std::to_wstring(kRunsMs) + L" --delete-key")));
  ASSERT_TRUE(StartNotice());
  HWND window = notice_.window();
  HWND text = ::GetDlgItem(window, kNoticeText);
  const std::wstring shownText = uidriver::WindowText(text);

  ASSERT_TRUE(e2e::ClickUninstall(notice_));
  ASSERT_TRUE(uidriver::WaitUntil(e2e::kReactTimeoutMs, [&] { return !Runs().empty(); }))
      << "the uninstaller did not start within " << e2e::kReactTimeoutMs << " ms";
  // The click gave the button the focus. Input taken now would move it: a
  // click into the notice text there, Tab on to the next button.
  HWND clicked = uidriver::FocusedWindowOf(window);
  const DWORD inputAt = ::GetTickCount();
  RECT area = {};
  ::GetWindowRect(text, &area);
  ASSERT_TRUE(e2e::ClickAt((area.left + area.right) / 2, (area.top + area.bottom) / 2));
  ASSERT_TRUE(uidriver::PressKey(window, VK_TAB));

  // Until the uninstaller's last step: no box, one uninstaller, the same text
  // told at once, and the same focus. What is seen after that step may be
  // the outcome's, and is not judged.
  const DWORD kAnswerMs = 2000;
  int looks = 0;
  for (;; ++looks) {
    std::wstring seenText;
    const bool answered = e2e::TextWithin(text, kAnswerMs, &seenText);
    HWND focus = uidriver::FocusedWindowOf(window);
    const bool boxShown = !e2e::OtherWindowsOf(notice_).empty();
    const std::vector<StandinRun> runs = Runs();
    const DWORD after = ::GetTickCount() - inputAt;
    if (runs[0].Has("end")) break;
    ASSERT_LT(after, kRunsMs + e2e::kReactTimeoutMs) << "the uninstaller never finished";
    ASSERT_FALSE(boxShown) << "a window showed " << after << " ms into the uninstaller's "
                           << kRunsMs << " ms";
    ASSERT_EQ(runs.size(), 1u) << "another uninstaller started during the wait";
    ASSERT_TRUE(answered) << "WM_GETTEXT went unanswered for " << kAnswerMs << " ms, " << after
                          << " ms into the wait";
    ASSERT_EQ(seenText, shownText) << "the notice's text changed during the wait";
    ASSERT_EQ(focus, clicked) << "input was taken during the wait: the focus moved from control "
                              << ::GetDlgCtrlID(clicked) << " to " << ::GetDlgCtrlID(focus);
    ::Sleep(200);
  }
  EXPECT_GT(looks, 3) << "the uninstaller ended too soon after the input to tell anything";

  ShownBox box;
  ASSERT_TRUE(e2e::WaitForBox(notice_, e2e::kAppearTimeoutMs, &box));
  const std::vector<StandinRun> runs = Runs();
  ASSERT_EQ(runs.size(), 1u);
  EXPECT_FALSE(e2e::ProcessRunning(runs[0].pid)) << "the box showed before the uninstaller ended";
  EXPECT_TRUE(e2e::CheckAndDismiss(box, window, Box(UNINSTALL_TEXT_DONE, "exclamation")));

  // A second click asks afresh, and the old edition is gone.
  ASSERT_TRUE(e2e::ClickUninstall(notice_));
  ASSERT_TRUE(e2e::WaitForBox(notice_, e2e::kAppearTimeoutMs, &box));
  EXPECT_TRUE(e2e::CheckAndDismiss(box, window, Box(UNINSTALL_TEXT_NOT_INSTALLED, "error")));
  EXPECT_EQ(Runs().size(), 1u) << "a click on a removed entry started an uninstaller";
  EXPECT_EQ(uidriver::WindowText(text), shownText) << "the notice's text after the uninstall";
}

// A click that comes as a message sent to the button (BM_CLICK, as
// automation and accessibility tools click) is input too: it must not start a
// second uninstaller while the first runs, although the wait answers every
// sent message and so runs the button's handler again inside it.
TEST_F(UninstallTest, AClickSentDuringTheWaitStartsNoSecondUninstaller) {
  const DWORD kRunsMs = 4000;
  ASSERT_TRUE(entry_.SetText(Command(L"--sleep=" + std::to_wstring(kRunsMs) + L" --delete-key")));
  ASSERT_TRUE(StartNotice());
  ASSERT_TRUE(e2e::ClickUninstall(notice_));
  ASSERT_TRUE(uidriver::WaitUntil(e2e::kReactTimeoutMs, [&] { return !Runs().empty(); }))
      << "the uninstaller did not start within " << e2e::kReactTimeoutMs << " ms";
  // Returns when the button has handled it, or gives up; either way a second
  // uninstaller, if any, starts at once.
  DWORD_PTR ignored = 0;
  ::SendMessageTimeoutW(::GetDlgItem(notice_.window(), kUninstallButton), BM_CLICK, 0, 0,
                        SMTO_NORMAL, e2e::kReactTimeoutMs / 5, &ignored);
  ASSERT_FALSE(uidriver::WaitUntil(e2e::kReactTimeoutMs / 5, [&] { return Runs().size() > 1; }))
      << "a second uninstaller started while the first ran";
  ASSERT_FALSE(Runs()[0].Has("end")) << "the first uninstaller ended before this could tell";
  ShownBox box;
  ASSERT_TRUE(e2e::WaitForBox(notice_, e2e::kAppearTimeoutMs, &box));
  EXPECT_TRUE(e2e::CheckAndDismiss(box, notice_.window(), Box(UNINSTALL_TEXT_DONE, "exclamation")));
}

// ---- how the uninstaller ends

// What the uninstaller started, if anything, and where it stands when the box shows.
enum class Started { Nothing, CopyHasEnded, ChildStillRuns };

struct EndingCase {
  const char* name;
  const wchar_t* arguments;
  const wchar_t* text;
  const char* icon;
  Started started;
  const char* noted;  // a line the uninstaller must have written by then, or null
};

// 1. Cancelled: it ends and leaves the key.
// 2. It hands its work to a copy in %TEMP% and ends at once; the copy removes
//    the key 3 s later, and only then is the uninstall over.
// 3. It removes the key and leaves a child that would run for a minute.
// 4. It broadcasts a settings change while the notice waits for it.
const EndingCase kEndings[] = {
    {"Cancelled", L"--sleep=500", UNINSTALL_TEXT_NOT_DONE, "exclamation", Started::Nothing,
     nullptr},
    {"HandedToATempCopy", L"--hand-off=3000", UNINSTALL_TEXT_DONE, "exclamation",
     Started::CopyHasEnded, nullptr},
    {"LeavesALongLivedChild", L"--leave-child=60000 --delete-key", UNINSTALL_TEXT_DONE,
     "exclamation", Started::ChildStillRuns, nullptr},
    {"BroadcastsASettingsChange", L"--sleep=500 --broadcast --delete-key", UNINSTALL_TEXT_DONE,
     "exclamation", Started::Nothing, "broadcast"},
};

class UninstallEnding : public UninstallTest, public testing::WithParamInterface<EndingCase> {};

TEST_P(UninstallEnding, TheOutcomeShowsOnceTheUninstallIsOver) {
  const EndingCase& c = GetParam();
  ASSERT_TRUE(entry_.SetText(Command(c.arguments)));
  ASSERT_TRUE(StartNotice());
  ASSERT_TRUE(e2e::ClickUninstall(notice_));
  const DWORD clickedAt = ::GetTickCount();
  ShownBox box;
  ASSERT_TRUE(e2e::WaitForBox(notice_, e2e::kAppearTimeoutMs, &box));
  const DWORD shownAfter = ::GetTickCount() - clickedAt;

  const std::vector<StandinRun> runs = Runs();
  ASSERT_FALSE(runs.empty()) << "the uninstaller did not start";
  const StandinRun& uninstaller = runs[0];
  EXPECT_TRUE(uninstaller.Has("end")) << "the box showed before the uninstaller had finished";
  if (c.noted != nullptr) {
    EXPECT_TRUE(uninstaller.Has(c.noted)) << "the uninstaller did not get as far as " << c.noted;
  }
  const DWORD started = wcstoul(uninstaller.Get("started").c_str(), nullptr, 10);
  switch (c.started) {
    case Started::Nothing:
      EXPECT_EQ(started, 0u) << "the uninstaller started a process";
      break;
    case Started::CopyHasEnded: {
      const auto copy = std::find_if(runs.begin(), runs.end(),
                                     [&](const StandinRun& run) { return run.pid == started; });
      ASSERT_NE(copy, runs.end()) << "the copy, process " << started << ", never wrote";
      EXPECT_TRUE(copy->Has("end"))
          << "the box showed " << shownAfter << " ms after the click, before the copy had finished";
      break;
    }
    case Started::ChildStillRuns:
      ASSERT_NE(started, 0u) << "the uninstaller started no child";
      EXPECT_TRUE(e2e::ProcessRunning(started))
          << "the box showed " << shownAfter << " ms after the click, after the child had gone";
      break;
  }
  EXPECT_TRUE(e2e::CheckAndDismiss(box, notice_.window(), Box(c.text, c.icon)));
  std::printf("%s: box %lu ms after the click\n", c.name, shownAfter);
}

INSTANTIATE_TEST_SUITE_P(, UninstallEnding, testing::ValuesIn(kEndings),
                         [](const testing::TestParamInfo<EndingCase>& info) {
                           return std::string(info.param.name);
                         });

// ---- entries that are not an uninstaller to run

enum class Stored { NoKey, KeyWithoutValue, Text256, BinaryText, Dword };

struct RefusedCase {
  const char* name;
  Stored stored;
};

// Each, run as it is stored, would be a working uninstall command.
// 1. No key.
// 2. The key without UninstallString.
// 3. 256 characters and the terminator: more than the 512 bytes read.
// 4. REG_BINARY holding the text of a command line.
// 5. REG_DWORD.
const RefusedCase kRefused[] = {
    {"KeyMissing", Stored::NoKey},
    {"KeyWithoutValue", Stored::KeyWithoutValue},
    {"CommandOf256Characters", Stored::Text256},
    {"BinaryHoldingACommandLine", Stored::BinaryText},
    {"Dword", Stored::Dword},
};

class UninstallRefused : public UninstallTest, public testing::WithParamInterface<RefusedCase> {};

// Under another file name, so that the caption shows it comes from the name.
TEST_P(UninstallRefused, ReportsTheOldEditionNotInstalledAndStartsNothing) {
  const std::wstring runnable = Command(L"--delete-key");
  const DWORD number = 1;
  switch (GetParam().stored) {
    case Stored::NoKey:
      break;
    case Stored::KeyWithoutValue:
      ASSERT_TRUE(entry_.CreateKey());
      break;
    case Stored::Text256:
      ASSERT_TRUE(entry_.SetText(CommandOfLength(256)));
      break;
    case Stored::BinaryText:
      ASSERT_TRUE(entry_.SetText(runnable, REG_BINARY));
      break;
    case Stored::Dword:
      ASSERT_TRUE(entry_.SetValue(REG_DWORD, &number, sizeof number));
      break;
  }
  ASSERT_TRUE(StartNotice(L"Renamed.exe"));
  ASSERT_TRUE(e2e::ClickUninstall(notice_));
  ShownBox box;
  ASSERT_TRUE(e2e::WaitForBox(notice_, e2e::kAppearTimeoutMs, &box));
  EXPECT_TRUE(StartedNothing());
  EXPECT_TRUE(e2e::CheckAndDismiss(box, notice_.window(),
                                   Box(UNINSTALL_TEXT_NOT_INSTALLED, "error", L"Renamed")));
}

INSTANTIATE_TEST_SUITE_P(, UninstallRefused, testing::ValuesIn(kRefused),
                         [](const testing::TestParamInfo<RefusedCase>& info) {
                           return std::string(info.param.name);
                         });

// ---- entries that are run as the text they hold

enum class Form { Text255, Unterminated, Expandable };

struct AcceptedCase {
  const char* name;
  Form form;
};

// 1. 255 characters and the terminator: exactly the 512 bytes read.
// 2. Stored without a terminator.
// 3. REG_EXPAND_SZ naming the stand-in's folder through a variable, which the
//    notice has from us.
const AcceptedCase kAccepted[] = {
    {"CommandOf255Characters", Form::Text255},
    {"StoredWithoutTerminator", Form::Unterminated},
    {"ExpandableWithAVariable", Form::Expandable},
};

class UninstallAccepted : public UninstallTest, public testing::WithParamInterface<AcceptedCase> {};

TEST_P(UninstallAccepted, RunsTheTextItHolds) {
  const wchar_t kVariable[] = L"E2E_UNINSTALLER_FOLDER";
  e2e::ScopedEnvironment folderVariable(kVariable, folder_.path());
  std::wstring expected;
  switch (GetParam().form) {
    case Form::Text255:
      expected = CommandOfLength(255);
      ASSERT_EQ(expected.size(), 255u);
      ASSERT_TRUE(entry_.SetText(expected));
      break;
    case Form::Unterminated:
      expected = Command(L"--delete-key");
      ASSERT_TRUE(entry_.SetText(expected, REG_SZ, false));
      break;
    case Form::Expandable:
      expected = Command(L"--delete-key");
      ASSERT_TRUE(entry_.SetText(
          L"\"%" + std::wstring(kVariable) + L"%\\uninstaller.exe\" --delete-key", REG_EXPAND_SZ));
      break;
  }
  ASSERT_TRUE(StartNotice());
  ASSERT_TRUE(e2e::ClickUninstall(notice_));
  ShownBox box;
  ASSERT_TRUE(e2e::WaitForBox(notice_, e2e::kAppearTimeoutMs, &box));
  EXPECT_TRUE(e2e::CheckAndDismiss(box, notice_.window(), Box(UNINSTALL_TEXT_DONE, "exclamation")));
  const std::vector<StandinRun> runs = Runs();
  ASSERT_EQ(runs.size(), 1u) << "uninstallers started for one click";
  EXPECT_EQ(runs[0].Get("commandLine"), expected);
}

INSTANTIATE_TEST_SUITE_P(, UninstallAccepted, testing::ValuesIn(kAccepted),
                         [](const testing::TestParamInfo<AcceptedCase>& info) {
                           return std::string(info.param.name);
                         });

// ---- commands that cannot be started

struct UnstartableCase {
  const char* name;
  const wchar_t* program;  // in the test's folder
  const char* content;     // written there first, or null for no file
};

// 1. The program named does not exist.
// 2. It exists but is no program.
const UnstartableCase kUnstartable[] = {
    {"ProgramMissing", L"missing.exe", nullptr},
    {"NotAProgram", L"text.exe", "not a program\r\n"},
};

class UninstallUnstartable : public UninstallTest,
                             public testing::WithParamInterface<UnstartableCase> {};

TEST_P(UninstallUnstartable, ReportsThatTheUninstallerCannotStart) {
  const UnstartableCase& c = GetParam();
  const std::wstring program = folder_.File(c.program);
  if (c.content != nullptr) {
    uidriver::UniqueHandle file(::CreateFileW(program.c_str(), GENERIC_WRITE, 0, nullptr,
                                              CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    ASSERT_TRUE(file) << "cannot write " << program;
    DWORD written = 0;
    ASSERT_TRUE(::WriteFile(file.get(), c.content, static_cast<DWORD>(strlen(c.content)), &written,
                            nullptr));
  }
  ASSERT_TRUE(entry_.SetText(L"\"" + program + L"\" --delete-key"));
  ASSERT_TRUE(StartNotice());
  ASSERT_TRUE(e2e::ClickUninstall(notice_));
  ShownBox box;
  ASSERT_TRUE(e2e::WaitForBox(notice_, e2e::kAppearTimeoutMs, &box));
  EXPECT_TRUE(StartedNothing());
  EXPECT_TRUE(
      e2e::CheckAndDismiss(box, notice_.window(), Box(UNINSTALL_TEXT_CANNOT_START, "error")));
  EXPECT_TRUE(UninstallEntry::Exists()) << "the entry went, though nothing ran";
}

INSTANTIATE_TEST_SUITE_P(, UninstallUnstartable, testing::ValuesIn(kUnstartable),
                         [](const testing::TestParamInfo<UnstartableCase>& info) {
                           return std::string(info.param.name);
                         });

// ---- what only some systems can show

// A 32-bit program sees the 32-bit registry view only. A win32 Wine prefix,
// like 32-bit Windows, has no other view to put the key in.
TEST_F(UninstallTest, AnEntryOnlyInThe64BitViewIsNotFound) {
  ASSERT_TRUE(entry_.SetText(Command(L"--delete-key"), REG_SZ, true, KEY_WOW64_64KEY));
  if (UninstallEntry::Exists(KEY_WOW64_32KEY))
    GTEST_SKIP() << "this system has one registry view: the 64-bit one is the 32-bit one";
  ASSERT_TRUE(StartNotice());
  ASSERT_TRUE(e2e::ClickUninstall(notice_));
  ShownBox box;
  ASSERT_TRUE(e2e::WaitForBox(notice_, e2e::kAppearTimeoutMs, &box));
  EXPECT_TRUE(StartedNothing());
  EXPECT_TRUE(
      e2e::CheckAndDismiss(box, notice_.window(), Box(UNINSTALL_TEXT_NOT_INSTALLED, "error")));
}

// Where a child inherits its parent's error mode (Windows; not Wine 8), the
// uninstaller has the notice's: no critical-error or open-file boxes.
TEST_F(UninstallTest, TheUninstallerInheritsTheNoticesErrorMode) {
  const UINT kQuiet = SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX;
  const UINT ours = ::SetErrorMode(kQuiet);
  std::wstring error;
  const bool ran =
      uidriver::RunAndWait(L"\"" + Uninstaller() + L"\"", e2e::kExitTimeoutMs, nullptr, &error);
  ::SetErrorMode(ours);
  ASSERT_TRUE(ran) << error;
  const std::vector<StandinRun> own = Runs();
  ASSERT_EQ(own.size(), 1u) << "records of our own run of the stand-in";
  const UINT inherited = wcstoul(own[0].Get("errorMode").c_str(), nullptr, 16);
  if ((inherited & kQuiet) != kQuiet)
    GTEST_SKIP() << "children here do not inherit the error mode: ours was " << std::hex << kQuiet
                 << ", our child's " << inherited;

  ASSERT_TRUE(entry_.SetText(Command(L"--delete-key")));
  ASSERT_TRUE(StartNotice());
  ASSERT_TRUE(e2e::ClickUninstall(notice_));
  ShownBox box;
  ASSERT_TRUE(e2e::WaitForBox(notice_, e2e::kAppearTimeoutMs, &box));
  EXPECT_TRUE(e2e::CheckAndDismiss(box, notice_.window(), Box(UNINSTALL_TEXT_DONE, "exclamation")));
  const std::vector<StandinRun> runs = Runs();
  ASSERT_EQ(runs.size(), 2u) << "our run, then the notice's";
  const UINT mode = wcstoul(runs[1].Get("errorMode").c_str(), nullptr, 16);
  EXPECT_EQ(mode & kQuiet, kQuiet) << "the uninstaller's error mode is " << std::hex << mode;
}

}  // namespace
