#include "actions/download_new.h"

#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "actions/download_address.h"
#include "tests/unit/fake_platform.h"
#include "ui/notice_text.h"

namespace {

std::vector<std::wstring> Lines(const std::wstring& text) {
  std::vector<std::wstring> lines;
  size_t start = 0;
  for (size_t end; (end = text.find(L"\r\n", start)) != std::wstring::npos; start = end + 2)
    lines.push_back(text.substr(start, end - start));
  lines.push_back(text.substr(start));
  return lines;
}

TEST(Download, EachClickMakesOneRequestByTheDesktopShellOrElseByShellExecute) {
  // Whether the desktop shell can be reached, click by click: every click
  // tries it afresh and falls back only when it cannot.
  const std::vector<std::vector<bool>> cases = {
      {true, true, true}, {false, false, false}, {true, false, true}};
  for (const auto& reachable : cases) {
    SCOPED_TRACE("desktop shell reachable per click: " + testing::PrintToString(reachable));
    FakePlatform os;
    std::vector<std::string> expectedCalls;
    for (bool available : reachable) {
      os.desktopShellAvailable = available;
      DownloadNew(os);
      expectedCalls.push_back("ShellExecuteAsDesktopUser");
      if (!available) expectedCalls.push_back("ShellExecuteVerb");
    }

    EXPECT_EQ(expectedCalls, os.calls)
        << "expected the desktop shell tried first, ShellExecuteW only when it cannot be "
           "reached, and nothing else: no message, no wait";
    ASSERT_EQ(reachable.size(), os.shellRequests.size()) << "expected one request per click";
    for (size_t click = 0; click < reachable.size(); ++click) {
      SCOPED_TRACE("click " + std::to_string(click + 1));
      const auto& request = os.shellRequests[click];
      EXPECT_EQ(reachable[click], request.byDesktopShell)
          << (reachable[click] ? "expected the desktop shell to make the request"
                               : "expected ShellExecuteW to make the request");
      EXPECT_EQ(kNoHandle, request.window) << "expected no owner window";
      EXPECT_EQ(L"open", request.verb);
      EXPECT_EQ(L"iexplore", request.file);
      EXPECT_EQ(TARVIC_DOWNLOAD_ADDRESS, request.parameters)
          << "expected the download address as the only parameter";
      EXPECT_TRUE(request.directoryNull) << "expected no working directory";
      EXPECT_EQ(1, request.show) << "SW_SHOWNORMAL";
    }
    EXPECT_TRUE(os.NothingLeftOpen());
  }
}

TEST(Download, TheAddressOpenedIsTheNoticesThirdLine) {
  const std::vector<std::wstring> lines = Lines(NOTICE_TEXT);
  ASSERT_EQ(4u, lines.size()) << "expected the notice's four lines";
  FakePlatform os;
  DownloadNew(os);
  ASSERT_EQ(1u, os.shellRequests.size());
  EXPECT_EQ(lines[2], os.shellRequests[0].parameters);
}

}  // namespace
