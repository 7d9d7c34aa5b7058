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

TEST(Download, EachClickAsksTheShellOnceToOpenTheAddressInTheBrowser) {
  FakePlatform os;
  const int kClicks = 3;
  for (int click = 0; click < kClicks; ++click) DownloadNew(os);

  ASSERT_EQ(static_cast<size_t>(kClicks), os.shellRequests.size())
      << "expected one new request per click";
  for (const auto& request : os.shellRequests) {
    EXPECT_EQ(kNoHandle, request.window) << "expected no owner window";
    EXPECT_EQ(L"open", request.verb);
    EXPECT_EQ(L"iexplore", request.file);
    EXPECT_EQ(TARVIC_DOWNLOAD_ADDRESS, request.parameters)
        << "expected the download address as the only parameter";
    EXPECT_TRUE(request.directoryNull) << "expected no working directory";
    EXPECT_EQ(1, request.show) << "SW_SHOWNORMAL";
  }
  EXPECT_EQ(static_cast<size_t>(kClicks), os.calls.size())
      << "expected nothing but the shell requests: no message, no wait";
  EXPECT_TRUE(os.NothingLeftOpen());
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
