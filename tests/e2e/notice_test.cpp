// The notice as a user sees it: one run of the program, looked at from
// outside (window text, class, styles, place, children, focus) and, for its
// icons, from inside through the driver's probe.
#include <windows.h>

#include <gtest/gtest.h>

#include <set>

#include "actions/download_address.h"
#include "harness.h"
#include "input.h"
#include "remote_probe.h"
#include "screen.h"
#include "wait.h"
#include "window_query.h"

namespace {

using e2e::Hex;
using e2e::Notice;
using e2e::TestFolder;
using uidriver::ReadWindow;
using uidriver::WindowInfo;

const wchar_t kNoticeText[] =
    L"Tarvic已经由安装版升级到绿色版(V1->V2)。\r\n"
    L"请先卸载旧版本，然后到地址\r\n" TARVIC_DOWNLOAD_ADDRESS L"\r\n"
    L"下载新版本。";

class NoticeWindow : public testing::Test {
 protected:
  static void SetUpTestSuite() {
    folder_ = new TestFolder();
    notice_ = new Notice();
    if (!notice_->Start(*folder_) || notice_->WaitForWindow() == nullptr) return;
  }
  static void TearDownTestSuite() {
    delete notice_;
    delete folder_;
    notice_ = nullptr;
    folder_ = nullptr;
  }
  void SetUp() override {
    ASSERT_NE(notice_->window(), nullptr) << "the notice did not appear: " << notice_->error();
    window_ = notice_->window();
  }

  HWND window_ = nullptr;
  static TestFolder* folder_;
  static Notice* notice_;
};

TestFolder* NoticeWindow::folder_ = nullptr;
Notice* NoticeWindow::notice_ = nullptr;

TEST_F(NoticeWindow, IsADialogCaptionedWithTheProductName) {
  const WindowInfo info = ReadWindow(window_);
  EXPECT_EQ(info.text, L"TarvicUpdateHelper");
  EXPECT_EQ(info.className, L"#32770");
}

TEST_F(NoticeWindow, HasTheTemplatesStyles) {
  const struct {
    const wchar_t* name;
    DWORD bits;
    bool set;
  } cases[] = {
      {L"WS_POPUP", WS_POPUP, true},
      {L"WS_VISIBLE", WS_VISIBLE, true},
      {L"WS_CAPTION", WS_CAPTION, true},
      {L"WS_SYSMENU", WS_SYSMENU, true},
      {L"WS_MINIMIZEBOX", WS_MINIMIZEBOX, true},
      {L"DS_MODALFRAME", DS_MODALFRAME, true},
      {L"DS_SETFONT", DS_SETFONT, true},
      {L"DS_FIXEDSYS", DS_FIXEDSYS, true},
      {L"WS_MAXIMIZEBOX", WS_MAXIMIZEBOX, false},
      {L"WS_THICKFRAME", WS_THICKFRAME, false},
      {L"WS_CHILD", WS_CHILD, false},
      {L"WS_DISABLED", WS_DISABLED, false},
      {L"DS_CENTER", DS_CENTER, false},
  };
  const DWORD style = ReadWindow(window_).style;
  for (const auto& c : cases) {
    EXPECT_EQ((style & c.bits) == c.bits, c.set)
        << c.name << " expected " << (c.set ? "set" : "clear") << "; style is " << Hex(style);
  }
}

TEST_F(NoticeWindow, AppearsInTheTaskbarAndIsNotATopmostOrToolWindow) {
  const DWORD exStyle = ReadWindow(window_).exStyle;
  EXPECT_NE(exStyle & WS_EX_APPWINDOW, 0u) << "ex-style " << Hex(exStyle);
  EXPECT_EQ(exStyle & (WS_EX_TOPMOST | WS_EX_TOOLWINDOW), 0u) << "ex-style " << Hex(exStyle);
}

TEST_F(NoticeWindow, HasTheEditAndTheTwoButtonsInTabOrder) {
  // The dialog manager turns an edit's WS_BORDER into WS_EX_CLIENTEDGE, so
  // the border shows as one or the other.
  const DWORD kEditStyles =
      WS_CHILD | WS_VISIBLE | WS_TABSTOP | ES_MULTILINE | ES_AUTOHSCROLL | ES_READONLY;
  const DWORD kButtonStyles = WS_CHILD | WS_VISIBLE | WS_TABSTOP;
  const struct {
    int id;
    const wchar_t* className;
    const wchar_t* text;  // null: not compared
    DWORD styles;
    DWORD absent;
    DWORD buttonType;  // BS_* of the low four bits, for buttons
  } expected[] = {
      {1000, L"Edit", nullptr, kEditStyles, WS_HSCROLL | WS_VSCROLL | WS_DISABLED, 0},
      {1001, L"Button", L"卸载旧软件", kButtonStyles, WS_DISABLED, BS_DEFPUSHBUTTON},
      {1002, L"Button", L"下载新软件", kButtonStyles, WS_DISABLED, BS_PUSHBUTTON},
  };
  const std::vector<HWND> children = uidriver::ChildWindows(window_);
  ASSERT_EQ(children.size(), ARRAYSIZE(expected)) << "children of the notice";
  for (size_t i = 0; i < children.size(); ++i) {
    const WindowInfo seen = ReadWindow(children[i]);
    const auto& want = expected[i];
    SCOPED_TRACE(testing::Message() << "child " << i << ", id " << seen.id);
    EXPECT_EQ(seen.id, want.id) << "tab order";
    EXPECT_EQ(seen.className, want.className);
    if (want.text) {
      EXPECT_EQ(seen.text, want.text);
    }
    EXPECT_EQ(seen.style & want.styles, want.styles) << "style " << Hex(seen.style);
    EXPECT_EQ(seen.style & want.absent, 0u) << "style " << Hex(seen.style);
    if (seen.className == L"Button") {
      EXPECT_EQ(seen.style & BS_TYPEMASK, want.buttonType) << "style " << Hex(seen.style);
    } else {
      EXPECT_TRUE((seen.style & WS_BORDER) || (seen.exStyle & WS_EX_CLIENTEDGE))
          << "the edit has no border: style " << Hex(seen.style) << ", ex-style " << Hex(seen.exStyle);
    }
  }
  EXPECT_EQ(::GetDlgItem(window_, IDOK), nullptr) << "an OK control";
  EXPECT_EQ(::GetDlgItem(window_, IDCANCEL), nullptr) << "a Cancel control";
}

TEST_F(NoticeWindow, ShowsTheFourLinesOfTheNotice) {
  EXPECT_EQ(uidriver::WindowText(::GetDlgItem(window_, 1000)), std::wstring(kNoticeText));
}

TEST_F(NoticeWindow, StartsActiveWithTheFocusInTheNoticeText) {
  HWND active = ::GetForegroundWindow();
  EXPECT_EQ(active, window_) << "the foreground window is \"" << uidriver::WindowText(active)
                             << "\" of class " << uidriver::ClassName(active);
  HWND focus = uidriver::FocusedWindowOf(window_);
  EXPECT_EQ(focus, ::GetDlgItem(window_, 1000))
      << "focus is on control " << (focus ? ::GetDlgCtrlID(focus) : 0);
}

TEST_F(NoticeWindow, IsCentredInTheWorkAreaOfItsMonitor) {
  MONITORINFO monitor = {};
  monitor.cbSize = sizeof monitor;
  ASSERT_TRUE(::GetMonitorInfoW(::MonitorFromWindow(window_, MONITOR_DEFAULTTONEAREST), &monitor));
  const RECT work = monitor.rcWork;
  RECT area = {};
  ASSERT_TRUE(::SystemParametersInfoW(SPI_GETWORKAREA, 0, &area, 0));
  EXPECT_TRUE(::EqualRect(&area, &work)) << "one monitor, whose work area is the system's";

  const RECT r = ReadWindow(window_).rect;
  const int width = r.right - r.left, height = r.bottom - r.top;
  const int wantLeft = work.left + (work.right - work.left - width) / 2;
  const int wantTop = work.top + (work.bottom - work.top - height) / 2;
  EXPECT_NEAR(r.left, wantLeft, 1) << "work area " << work.left << "," << work.top << "-"
                                   << work.right << "," << work.bottom << ", width " << width;
  EXPECT_NEAR(r.top, wantTop, 1) << "height " << height;
}

TEST_F(NoticeWindow, ShowsTheApplicationIconAsBothItsIcons) {
  uidriver::RemoteProbe probe;
  std::wstring error;
  ASSERT_TRUE(probe.Attach(window_, e2e::ProbeDll(), &error))
      << error;
  HICON big = nullptr, small = nullptr, application = nullptr;
  ASSERT_TRUE(probe.WindowIcon(window_, ICON_BIG, &big)) << probe.lastError();
  ASSERT_TRUE(probe.WindowIcon(window_, ICON_SMALL, &small)) << probe.lastError();
  ASSERT_TRUE(probe.ExeIcon(128, &application)) << probe.lastError();
  ASSERT_NE(application, nullptr) << "the exe has no icon 128";
  EXPECT_EQ(big, application) << "the big icon is not the exe's icon 128";
  EXPECT_EQ(small, application) << "the small icon is not the exe's icon 128";
  uidriver::IconFacts facts;
  ASSERT_TRUE(probe.DescribeIcon(big, &facts)) << probe.lastError();
  EXPECT_EQ(facts.width, ::GetSystemMetrics(SM_CXICON));
  EXPECT_EQ(facts.height, ::GetSystemMetrics(SM_CYICON));
}

TEST_F(NoticeWindow, ScreenshotIsKept) {
  RECT screen = {0, 0, ::GetSystemMetrics(SM_CXSCREEN), ::GetSystemMetrics(SM_CYSCREEN)};
  uidriver::Image image;
  ASSERT_TRUE(uidriver::CaptureScreen(screen, &image));
  const std::wstring path = e2e::JoinPath(e2e::GetPaths().artefacts, L"notice.bmp");
  ASSERT_TRUE(uidriver::SaveBitmap(image, path)) << "cannot write " << path;
  std::printf("screenshot: %s\n", e2e::ToUtf8(path).c_str());

  // The notice's area holds more than a blank face: text and icon drew.
  const RECT r = ReadWindow(window_).rect;
  std::set<uint32_t> colours;
  for (int y = r.top; y < r.bottom; ++y)
    for (int x = r.left; x < r.right; ++x) colours.insert(image.At(x, y));
  EXPECT_GT(colours.size(), 8u) << "the notice looks blank on the screen";
}

void PutOnClipboard(const wchar_t* text) {
  const size_t bytes = (wcslen(text) + 1) * sizeof(wchar_t);
  HGLOBAL memory = ::GlobalAlloc(GMEM_MOVEABLE, bytes);
  ASSERT_NE(memory, nullptr);
  memcpy(::GlobalLock(memory), text, bytes);
  ::GlobalUnlock(memory);
  ASSERT_TRUE(::OpenClipboard(nullptr));
  ::EmptyClipboard();
  // The clipboard owns the memory once it takes it.
  if (::SetClipboardData(CF_UNICODETEXT, memory) == nullptr) ::GlobalFree(memory);
  ::CloseClipboard();
}

// Last: if the edit were writable, this would change the text the other
// cases look at. (EM_REPLACESEL and WM_SETTEXT change a read-only edit on
// Windows too; they are the program's own means, not the user's.)
TEST_F(NoticeWindow, NoticeTextCannotBeChangedByTypingOrPasting) {
  HWND edit = ::GetDlgItem(window_, 1000);
  DWORD_PTR ignored = 0;
  PutOnClipboard(L"PASTED");
  ::SendMessageTimeoutW(edit, EM_SETSEL, 0, 0, SMTO_ABORTIFHUNG, 5000, &ignored);
  for (UINT message : {UINT(WM_PASTE), UINT(WM_CUT), UINT(WM_CLEAR)})
    ::SendMessageTimeoutW(edit, message, 0, 0, SMTO_ABORTIFHUNG, 5000, &ignored);
  ::SendMessageTimeoutW(edit, WM_CHAR, L'x', 0, SMTO_ABORTIFHUNG, 5000, &ignored);
  const struct {
    WORD key;
    unsigned modifiers;
  } keys[] = {{'Q', 0}, {VK_DELETE, 0}, {VK_BACK, 0}, {'V', uidriver::kCtrl}, {'A', uidriver::kCtrl},
              {'X', uidriver::kCtrl}, {VK_INSERT, uidriver::kShift}};
  for (const auto& k : keys)
    ASSERT_TRUE(uidriver::PressKey(window_, k.key, k.modifiers)) << "key " << k.key;
  // Typed keys are taken in order: once Ctrl+End has moved the caret to the
  // end of the text, the keys before it have been handled too.
  ASSERT_TRUE(uidriver::PressKey(window_, VK_END, uidriver::kCtrl));
  DWORD_PTR selection = 0, length = 0;
  const bool atEnd = uidriver::WaitUntil(e2e::kReactTimeoutMs, [&] {
    ::SendMessageTimeoutW(edit, WM_GETTEXTLENGTH, 0, 0, SMTO_ABORTIFHUNG, 5000, &length);
    ::SendMessageTimeoutW(edit, EM_GETSEL, 0, 0, SMTO_ABORTIFHUNG, 5000, &selection);
    return LOWORD(selection) == length && HIWORD(selection) == length;
  });
  EXPECT_TRUE(atEnd) << "the caret did not reach the end (" << length << "); selection "
                     << LOWORD(selection) << "-" << HIWORD(selection);
  EXPECT_EQ(uidriver::WindowText(edit), std::wstring(kNoticeText));
  EXPECT_TRUE(::IsWindow(window_)) << "typing into the notice closed it";
}

}  // namespace
