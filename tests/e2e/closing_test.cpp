// Closing the notice the ways a user can: each ends the program promptly and
// asks nothing first.
#include <windows.h>

#include <gtest/gtest.h>

#include "harness.h"
#include "input.h"
#include "wait.h"
#include "window_query.h"

namespace {

using e2e::Notice;
using e2e::TestFolder;

const WORD kCloseBox = 0;  // not a key: WM_SYSCOMMAND SC_CLOSE, as the close box sends

struct CloseCase {
  const char* name;
  WORD key;
  unsigned modifiers;
  int tabsFirst;  // Tab presses before, to move the focus off the edit
};

// 1. Esc while the multi-line edit has the focus (it keeps Esc for itself).
// 2. Esc on a button, where the dialog manager handles it.
// 3. Alt+F4.
// 4. The close box.
// 5. Ctrl+Break while the edit has the focus.
const CloseCase kCloseCases[] = {
    {"EscInTheNoticeText", VK_ESCAPE, uidriver::kNoModifier, 0},
    {"EscOnAButton", VK_ESCAPE, uidriver::kNoModifier, 1},
    {"AltF4", VK_F4, uidriver::kAlt, 0},
    {"CloseBox", kCloseBox, uidriver::kNoModifier, 0},
    {"CtrlBreakInTheNoticeText", VK_CANCEL, uidriver::kCtrl, 0},
};

// Failure reports name the case rather than dump its bytes.
void PrintTo(const CloseCase& c, std::ostream* out) { *out << c.name; }

class Closing : public testing::TestWithParam<CloseCase> {};

TEST_P(Closing, EndsTheProgramPromptlyWithoutAQuestion) {
  const CloseCase& c = GetParam();
  TestFolder folder;
  Notice notice;
  ASSERT_TRUE(notice.Start(folder)) << notice.error();
  HWND window = notice.WaitForWindow();
  ASSERT_NE(window, nullptr) << notice.error();
  HWND edit = ::GetDlgItem(window, 1000);

  for (int i = 0; i < c.tabsFirst; ++i) ASSERT_TRUE(uidriver::PressKey(window, VK_TAB));
  HWND wantFocus = c.tabsFirst == 0 ? edit : ::GetDlgItem(window, 1001);
  ASSERT_TRUE(uidriver::WaitUntil(e2e::kReactTimeoutMs,
                                  [&] { return uidriver::FocusedWindowOf(window) == wantFocus; }))
      << "the focus is on control " << ::GetDlgCtrlID(uidriver::FocusedWindowOf(window))
      << ", not " << ::GetDlgCtrlID(wantFocus);
  ASSERT_TRUE(notice.process().Running()) << "the program ended before it was closed";

  const DWORD start = ::GetTickCount();
  if (c.key == kCloseBox) {
    ASSERT_TRUE(uidriver::PostClose(window));
  } else {
    ASSERT_TRUE(uidriver::PressKey(window, c.key, c.modifiers));
  }
  std::vector<std::wstring> shown;
  const bool ended = notice.WaitForExit(e2e::kExitTimeoutMs, &shown);
  EXPECT_TRUE(ended) << "still running " << e2e::kExitTimeoutMs << " ms after " << c.name;
  EXPECT_TRUE(shown.empty()) << "it showed " << shown.size() << " window(s), the first: "
                             << (shown.empty() ? L"" : shown.front());
  if (ended) std::printf("ended %lu ms after %s\n", ::GetTickCount() - start, c.name);
}

INSTANTIATE_TEST_SUITE_P(, Closing, testing::ValuesIn(kCloseCases),
                         [](const testing::TestParamInfo<CloseCase>& info) {
                           return std::string(info.param.name);
                         });

}  // namespace
