// F1 in the notice: the request the help viewer gets (our stand-in records
// it), when no request is made, and the message when help cannot start.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdio>

#include "action_fixture.h"
#include "harness.h"
#include "input.h"
#include "wait.h"
#include "window_query.h"

namespace {

using e2e::Notice;
using e2e::ScopedEnvironment;
using e2e::TestFolder;

const unsigned kHelpContext = 1;            // HELP_CONTEXT
const unsigned long kNoticeHelpId = 0x20066;  // HID_BASE_RESOURCE + the template's 102

struct HelpRequest {
  unsigned command = 0;
  unsigned long data = 0;
  std::wstring file;
};

// The stand-in's record: one "command=C data=0xD file=F" line per request.
std::vector<HelpRequest> ReadRequests(const std::wstring& record) {
  std::vector<HelpRequest> requests;
  const std::string text = e2e::ReadFileBytes(record);
  size_t start = 0;
  for (size_t end; (end = text.find('\n', start)) != std::string::npos; start = end + 1) {
    const std::string line = text.substr(start, end - start);
    HelpRequest request;
    const size_t file = line.find(" file=");
    if (file == std::string::npos ||
        std::sscanf(line.c_str(), "command=%u data=0x%lx", &request.command, &request.data) != 2)
      continue;
    request.file = e2e::FromUtf8(line.substr(file + 6));
    requests.push_back(request);
  }
  return requests;
}

// The program started in a fresh folder, its notice showing, with the
// stand-in viewer recording into the folder.
class HelpTest {
 public:
  explicit HelpTest(bool viewerRefuses)
      : record_(L"E2E_HELP_RECORD", folder_.File(L"help-requests.txt")),
        refuse_(L"E2E_HELP_FAIL", viewerRefuses ? L"1" : L"") {}

  ::testing::AssertionResult Start(const std::wstring& exeName) {
    if (!notice_.Start(folder_, exeName) || notice_.WaitForWindow() == nullptr)
      return ::testing::AssertionFailure() << "the notice did not appear: " << notice_.error();
    return ::testing::AssertionSuccess();
  }

  // Esc, then the end of the program: every key before it has been handled.
  ::testing::AssertionResult CloseAndWait() {
    if (!uidriver::PressKey(notice_.window(), VK_ESCAPE))
      return ::testing::AssertionFailure() << "cannot press Esc";
    std::vector<std::wstring> shown;
    if (!notice_.WaitForExit(e2e::kExitTimeoutMs, &shown))
      return ::testing::AssertionFailure() << "still running after Esc";
    if (!shown.empty())
      return ::testing::AssertionFailure() << "it showed " << shown.front();
    return ::testing::AssertionSuccess();
  }

  std::vector<HelpRequest> Requests() const { return ReadRequests(folder_.File(L"help-requests.txt")); }

  TestFolder folder_;
  Notice notice_;

 private:
  ScopedEnvironment record_;
  ScopedEnvironment refuse_;
};

struct NamedExe {
  const char* name;
  const wchar_t* exe;
  const wchar_t* stem;  // the application name: the file name without extension
};

// 1. The program as built.
// 2. Renamed: the help file and message captions follow the file name.
const NamedExe kExeNames[] = {
    {"AsBuilt", L"TarvicUpdateHelper.exe", L"TarvicUpdateHelper"},
    {"Renamed", L"Renamed.exe", L"Renamed"},
};

void PrintTo(const NamedExe& c, std::ostream* out) { *out << c.name; }

std::string ExeCaseName(const testing::TestParamInfo<NamedExe>& info) { return info.param.name; }

class HelpByName : public testing::TestWithParam<NamedExe> {};

TEST_P(HelpByName, F1AsksForTheNoticesContextInTheHelpFileBesideTheProgram) {
  HelpTest help(false);
  ASSERT_TRUE(help.Start(GetParam().exe));
  EXPECT_EQ(uidriver::WindowText(help.notice_.window()), L"TarvicUpdateHelper")
      << "the caption comes from the template, whatever the file is called";

  ASSERT_TRUE(uidriver::PressKey(help.notice_.window(), VK_F1));
  ASSERT_TRUE(uidriver::WaitUntil(e2e::kReactTimeoutMs, [&] { return !help.Requests().empty(); }))
      << "the help viewer was not asked within " << e2e::kReactTimeoutMs << " ms";
  ASSERT_TRUE(help.CloseAndWait());

  const std::vector<HelpRequest> requests = help.Requests();
  ASSERT_EQ(requests.size(), 1u) << "requests for one F1";
  EXPECT_EQ(requests[0].command, kHelpContext);
  EXPECT_EQ(requests[0].data, kNoticeHelpId);
  EXPECT_EQ(requests[0].file, help.folder_.File(std::wstring(GetParam().stem) + L".HLP"));
}

TEST_P(HelpByName, WhenHelpCannotStartAWarningOwnedByTheNoticeSaysSo) {
  HelpTest help(true);
  ASSERT_TRUE(help.Start(GetParam().exe));
  HWND window = help.notice_.window();
  ASSERT_TRUE(uidriver::PressKey(window, VK_F1));
  e2e::ShownBox box;
  ASSERT_TRUE(e2e::WaitForBox(help.notice_, e2e::kReactTimeoutMs, &box));
  EXPECT_TRUE(e2e::CheckAndDismiss(box, window,
                                   e2e::ExpectedBox{L"启动帮助失败。", "exclamation",
                                                    GetParam().stem}));
  EXPECT_TRUE(::IsWindowVisible(window)) << "the notice went with the box";
  ASSERT_TRUE(help.CloseAndWait());
  EXPECT_EQ(help.Requests().size(), 1u) << "requests for one F1";
}

INSTANTIATE_TEST_SUITE_P(, HelpByName, testing::ValuesIn(kExeNames), ExeCaseName);

struct ModifiedF1 {
  const char* name;
  unsigned modifiers;
};

// 1-3. F1 with Shift, Ctrl or Alt held is not a help request.
const ModifiedF1 kModifiedF1[] = {
    {"Shift", uidriver::kShift},
    {"Ctrl", uidriver::kCtrl},
    {"Alt", uidriver::kAlt},
};

void PrintTo(const ModifiedF1& c, std::ostream* out) { *out << c.name; }

class HelpWithModifier : public testing::TestWithParam<ModifiedF1> {};

TEST_P(HelpWithModifier, F1WithAModifierAsksForNoHelp) {
  HelpTest help(false);
  ASSERT_TRUE(help.Start(L"TarvicUpdateHelper.exe"));
  HWND window = help.notice_.window();
  ASSERT_TRUE(uidriver::PressKey(window, VK_F1, GetParam().modifiers));
  // A plain F1 after it shows the keys get through; its request is the only
  // one once Esc has ended the program.
  ASSERT_TRUE(uidriver::PressKey(window, VK_F1));
  ASSERT_TRUE(uidriver::WaitUntil(e2e::kReactTimeoutMs, [&] { return !help.Requests().empty(); }))
      << "not even the plain F1 reached the help viewer";
  ASSERT_TRUE(help.CloseAndWait());
  EXPECT_EQ(help.Requests().size(), 1u)
      << "requests for " << GetParam().name << "+F1 and then a plain F1";
}

INSTANTIATE_TEST_SUITE_P(, HelpWithModifier, testing::ValuesIn(kModifiedF1),
                         [](const testing::TestParamInfo<ModifiedF1>& info) {
                           return std::string(info.param.name);
                         });

}  // namespace
