// "下载新软件" under Wine: our stand-in browser, put over iexplore.exe in
// the prefix by run_e2e.sh, records every start; the notice must have it
// started once per click with the address it shows, and not wait for it.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "action_fixture.h"
#include "actions/download_address.h"
#include "harness.h"
#include "owned.h"
#include "tools/standins/browser/settings.h"
#include "wait.h"
#include "window_query.h"

namespace {

using e2e::StandinRun;

const int kNoticeText = 1000;
const int kDownloadButton = 1002;
const size_t kAddressLine = 2;  // the third line
const DWORD kAnswerMs = 2000;

std::vector<std::wstring> Lines(const std::wstring& text) {
  std::vector<std::wstring> lines;
  size_t start = 0;
  for (size_t end; (end = text.find(L"\r\n", start)) != std::wstring::npos; start = end + 2)
    lines.push_back(text.substr(start, end - start));
  lines.push_back(text.substr(start));
  return lines;
}

std::wstring FileName(const std::wstring& path) {
  const size_t slash = path.find_last_of(L"\\/");
  return slash == std::wstring::npos ? path : path.substr(slash + 1);
}

// What the stand-in browser is told, in the registry (settings.h); gone
// before and after.
class BrowserSettings {
 public:
  BrowserSettings() { ::RegDeleteKeyW(HKEY_CURRENT_USER, BROWSER_STANDIN_KEY); }
  ~BrowserSettings() { ::RegDeleteKeyW(HKEY_CURRENT_USER, BROWSER_STANDIN_KEY); }
  BrowserSettings(const BrowserSettings&) = delete;
  BrowserSettings& operator=(const BrowserSettings&) = delete;

  bool Set(const std::wstring& record, DWORD stayMs) {
    HKEY created = nullptr;
    if (::RegCreateKeyExW(HKEY_CURRENT_USER, BROWSER_STANDIN_KEY, 0, nullptr, 0, KEY_SET_VALUE,
                          nullptr, &created, nullptr) != ERROR_SUCCESS)
      return false;
    uidriver::UniqueKey key(created);
    const DWORD bytes = static_cast<DWORD>((record.size() + 1) * sizeof(wchar_t));
    return ::RegSetValueExW(key.get(), BROWSER_STANDIN_RECORD, 0, REG_SZ,
                            reinterpret_cast<const BYTE*>(record.c_str()),
                            bytes) == ERROR_SUCCESS &&
           ::RegSetValueExW(key.get(), BROWSER_STANDIN_STAY_MS, 0, REG_DWORD,
                            reinterpret_cast<const BYTE*>(&stayMs), sizeof stayMs) == ERROR_SUCCESS;
  }
};

class DownloadTest : public testing::Test {
 protected:
  // The browser records into the test's folder and exits at once unless a
  // test says otherwise.
  void SetUp() override { ASSERT_TRUE(StayFor(0)); }

  // The desktop's shell, not the notice, may have started the browser, so it
  // does not end with the notice.
  void TearDown() override {
    for (const StandinRun& run : Runs()) e2e::EndProcess(run.pid, L"iexplore.exe");
  }

  testing::AssertionResult StayFor(DWORD stayMs) {
    if (!browser_.Set(RecordPath(), stayMs))
      return testing::AssertionFailure() << "cannot write HKCU\\" << BROWSER_STANDIN_KEY;
    return testing::AssertionSuccess();
  }

  std::wstring RecordPath() const { return folder_.File(L"browser-record.txt"); }

  testing::AssertionResult StartNotice() {
    if (!notice_.Start(folder_) || notice_.WaitForWindow() == nullptr)
      return testing::AssertionFailure() << "the notice did not appear: " << notice_.error();
    return testing::AssertionSuccess();
  }

  std::vector<StandinRun> Runs() const { return e2e::ReadRecord(RecordPath()); }

  // Clicks 下载新软件 and waits until the click has been handled and the
  // browser has been started `total` times in all.
  testing::AssertionResult ClickAndWaitForBrowsers(size_t total) {
    if (!e2e::PostClick(notice_.window(), kDownloadButton))
      return testing::AssertionFailure() << "cannot click 下载新软件";
    const testing::AssertionResult handled = e2e::WaitUntilHandled(notice_);
    if (!handled) return handled;
    if (!uidriver::WaitUntil(e2e::kReactTimeoutMs, [&] { return Runs().size() >= total; }))
      return testing::AssertionFailure()
             << "the browser was started " << Runs().size() << " times within "
             << e2e::kReactTimeoutMs << " ms; expected " << total;
    return testing::AssertionSuccess();
  }

  e2e::TestFolder folder_;
  BrowserSettings browser_;
  e2e::Notice notice_;
};

// Each click starts the browser once, with the notice's address as its one
// argument, and says nothing.
TEST_F(DownloadTest, EachClickStartsTheBrowserOnceWithTheAddressTheNoticeShows) {
  ASSERT_TRUE(StartNotice());
  const std::vector<std::wstring> lines =
      Lines(uidriver::WindowText(::GetDlgItem(notice_.window(), kNoticeText)));
  ASSERT_GT(lines.size(), kAddressLine) << "lines of the notice";
  const std::wstring shown = lines[kAddressLine];
  EXPECT_EQ(shown, TARVIC_DOWNLOAD_ADDRESS) << "the address the notice shows";

  for (size_t clicks = 1; clicks <= 2; ++clicks) {
    SCOPED_TRACE(testing::Message() << "click " << clicks);
    ASSERT_TRUE(ClickAndWaitForBrowsers(clicks));
    // Every browser the click started has been started by now; once none
    // runs, each has written its line and gone.
    EXPECT_TRUE(uidriver::WaitUntil(e2e::kReactTimeoutMs,
                                    [] { return e2e::ProcessesNamed(L"iexplore.exe").empty(); }))
        << "a browser was still running " << e2e::kReactTimeoutMs << " ms on";
    const std::vector<StandinRun> runs = Runs();
    ASSERT_EQ(runs.size(), clicks) << "browsers started in all";

    const StandinRun& browser = runs.back();
    EXPECT_EQ(e2e::ToUtf8(FileName(browser.Get("program"))), "iexplore.exe")
        << "the browser run was " << browser.Get("program");
    const std::vector<std::wstring> arguments = e2e::SplitCommandLine(browser.Get("commandLine"));
    ASSERT_EQ(arguments.size(), 2u) << "the browser's command line: " << browser.Get("commandLine");
    EXPECT_EQ(arguments[1], shown) << "the browser's argument is not the address the notice shows";
    EXPECT_TRUE(e2e::OtherWindowsOf(notice_).empty()) << "the notice showed a window";
  }
}

// The notice does not wait for the browser: it answers, and takes a second
// click, while the first browser still runs.
TEST_F(DownloadTest, TheNoticeStaysResponsiveWhileTheBrowserRuns) {
  ASSERT_TRUE(StayFor(2 * e2e::kReactTimeoutMs));
  ASSERT_TRUE(StartNotice());
  HWND text = ::GetDlgItem(notice_.window(), kNoticeText);
  const std::wstring shownText = uidriver::WindowText(text);

  ASSERT_TRUE(ClickAndWaitForBrowsers(1));
  const DWORD first = Runs()[0].pid;
  ASSERT_TRUE(e2e::ProcessRunning(first)) << "the browser did not stay";
  std::wstring seen;
  EXPECT_TRUE(e2e::TextWithin(text, kAnswerMs, &seen))
      << "WM_GETTEXT went unanswered for " << kAnswerMs << " ms while the browser ran";
  EXPECT_EQ(seen, shownText);

  ASSERT_TRUE(ClickAndWaitForBrowsers(2)) << "the second click, with the first browser running";
  EXPECT_TRUE(e2e::ProcessRunning(first)) << "the first browser ended before the second started";
  EXPECT_TRUE(e2e::OtherWindowsOf(notice_).empty()) << "the notice showed a window";
}

}  // namespace
