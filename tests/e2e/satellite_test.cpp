// Satellite resource modules beside the program: which one supplies the
// notice's template and icon, what happens when it has no template, and that
// none of their code ever runs.
#include <windows.h>

#include <gtest/gtest.h>

#include "harness.h"
#include "input.h"
#include "owned.h"
#include "remote_probe.h"
#include "screen.h"
#include "window_query.h"

namespace {

using e2e::Notice;
using e2e::ScopedEnvironment;
using e2e::TestFolder;

// The fixtures' icon colours (tests/e2e/CMakeLists.txt draws them).
const COLORREF kMagenta = 0xFF00FF;
const COLORREF kOrange = 0xFF8000;
const COLORREF kOwnIcon = 0;  // the exe's own icon 128

struct Fixture {
  const wchar_t* dll;  // in the fixtures folder
  const wchar_t* caption;  // of its template; null when it has none
  const wchar_t* button;
  COLORREF colour;
};
const Fixture kLoc = {L"satellite_loc.dll", L"Satellite LOC", L"LOC button", kMagenta};
const Fixture kChs = {L"satellite_chs.dll", L"Satellite CHS", L"CHS button", kOrange};
const Fixture kBare = {L"satellite_bare.dll", nullptr, nullptr, kMagenta};
const Fixture kOwn = {nullptr, L"TarvicUpdateHelper", L"卸载旧软件", kOwnIcon};

struct Planted {
  const wchar_t* name;  // beside the program
  const Fixture* fixture;
};

struct SatelliteCase {
  const char* name;
  const wchar_t* exe;
  Planted planted[2];
  const Fixture* shown;  // whose template and icon the notice has; null: no notice
};

// The test prefix's interface language is Chinese (PRC), whose abbreviation
// GetLocaleInfo gives as "CHS", for 0x0804 and for its primary language.
// 1. Only the language-neutral "LOC" satellite.
// 2. Only the interface language's satellite.
// 3. Both: the language's is tried first.
// 4. Another language's satellite is not looked for.
// 5-6. The names follow the exe's file name, not the product's.
// 7. A satellite without template 102: the program ends without a window.
const SatelliteCase kCases[] = {
    {"Loc", L"TarvicUpdateHelper.exe", {{L"TarvicUpdateHelperLOC.dll", &kLoc}}, &kLoc},
    {"Chs", L"TarvicUpdateHelper.exe", {{L"TarvicUpdateHelperCHS.dll", &kChs}}, &kChs},
    {"ChsBeforeLoc", L"TarvicUpdateHelper.exe",
     {{L"TarvicUpdateHelperLOC.dll", &kLoc}, {L"TarvicUpdateHelperCHS.dll", &kChs}}, &kChs},
    {"OtherLanguageIgnored", L"TarvicUpdateHelper.exe", {{L"TarvicUpdateHelperENU.dll", &kLoc}},
     &kOwn},
    {"RenamedExeFindsItsOwn", L"Renamed.exe", {{L"RenamedLOC.dll", &kLoc}}, &kLoc},
    {"RenamedExeIgnoresTheProducts", L"Renamed.exe", {{L"TarvicUpdateHelperLOC.dll", &kLoc}},
     &kOwn},
    {"NoTemplateNoNotice", L"TarvicUpdateHelper.exe", {{L"TarvicUpdateHelperLOC.dll", &kBare}},
     nullptr},
};

void PrintTo(const SatelliteCase& c, std::ostream* out) { *out << c.name; }

// Pixels of `colour` in the strip of the caption where the small icon sits.
size_t CaptionPixels(HWND window, COLORREF colour) {
  RECT r;
  ::GetWindowRect(window, &r);
  const int frame = ::GetSystemMetrics(SM_CYFIXEDFRAME) + ::GetSystemMetrics(SM_CYEDGE);
  const RECT strip = {r.left, r.top, r.left + 48, r.top + frame + ::GetSystemMetrics(SM_CYCAPTION)};
  uidriver::Image image;
  if (!uidriver::CaptureScreen(strip, &image)) return 0;
  return uidriver::CountPixels(image, colour);
}

class Satellite : public testing::TestWithParam<SatelliteCase> {
 protected:
  TestFolder folder_;
  ScopedEnvironment marker_{L"E2E_SATELLITE_MARKER", folder_.File(L"dllmain-ran.txt")};
};

TEST_P(Satellite, SuppliesTheNoticeOrEndsTheProgram) {
  const SatelliteCase& c = GetParam();
  for (const Planted& p : c.planted) {
    if (p.name == nullptr) continue;
    ASSERT_TRUE(folder_.Put(e2e::JoinPath(e2e::GetPaths().fixtures, p.fixture->dll), p.name))
        << "cannot plant " << p.name;
  }
  Notice notice;
  ASSERT_TRUE(notice.Start(folder_, c.exe)) << notice.error();

  if (c.shown == nullptr) {
    std::vector<std::wstring> shown;
    EXPECT_TRUE(notice.WaitForExit(e2e::kExitTimeoutMs, &shown))
        << "still running " << e2e::kExitTimeoutMs << " ms after start";
    EXPECT_TRUE(shown.empty()) << "it showed " << shown.size() << " window(s), the first: "
                               << (shown.empty() ? L"" : shown.front());
  } else {
    HWND window = notice.WaitForWindow();
    ASSERT_NE(window, nullptr) << notice.error();
    EXPECT_EQ(uidriver::WindowText(window), c.shown->caption);
    EXPECT_EQ(uidriver::WindowText(::GetDlgItem(window, 1001)), c.shown->button);

    uidriver::RemoteProbe probe;
    std::wstring error;
    ASSERT_TRUE(probe.Attach(window, e2e::ProbeDll(), &error))
        << error;
    for (int which : {ICON_BIG, ICON_SMALL}) {
      SCOPED_TRACE(which == ICON_BIG ? "big icon" : "small icon");
      HICON icon = nullptr;
      ASSERT_TRUE(probe.WindowIcon(window, which, &icon)) << probe.lastError();
      ASSERT_NE(icon, nullptr);
      if (c.shown->colour == kOwnIcon) {
        HICON own = nullptr;
        ASSERT_TRUE(probe.ExeIcon(128, &own)) << probe.lastError();
        EXPECT_EQ(icon, own) << "not the exe's own icon 128";
      } else {
        uidriver::IconFacts facts;
        ASSERT_TRUE(probe.DescribeIcon(icon, &facts)) << probe.lastError();
        EXPECT_EQ(e2e::Hex(facts.centre, 6), e2e::Hex(c.shown->colour, 6)) << "colour of the icon";
      }
    }
    if (c.shown->colour != kOwnIcon) {
      EXPECT_GE(CaptionPixels(window, c.shown->colour), 64u)
          << "the caption does not show the satellite's icon";
    }
    ASSERT_TRUE(uidriver::PostClose(window));
    std::vector<std::wstring> shown;
    EXPECT_TRUE(notice.WaitForExit(e2e::kExitTimeoutMs, &shown)) << "still running after the close";
  }
  EXPECT_FALSE(e2e::FileExists(folder_.File(L"dllmain-ran.txt")))
      << "a satellite's code ran: " << e2e::ReadFileBytes(folder_.File(L"dllmain-ran.txt"));
}

INSTANTIATE_TEST_SUITE_P(, Satellite, testing::ValuesIn(kCases),
                         [](const testing::TestParamInfo<SatelliteCase>& info) {
                           return std::string(info.param.name);
                         });

// The cases above assume the prefix's interface language is abbreviated CHS.
TEST(SatelliteFixture, PrefixInterfaceLanguageIsAbbreviatedChs) {
  wchar_t abbreviation[8] = L"";
  ASSERT_GT(::GetLocaleInfoW(MAKELCID(::GetUserDefaultUILanguage(), SORT_DEFAULT),
                             LOCALE_SABBREVLANGNAME, abbreviation, ARRAYSIZE(abbreviation)),
            0);
  EXPECT_STREQ(abbreviation, L"CHS") << "interface language " << ::GetUserDefaultUILanguage();
}

// The marker above means something only if a fixture's code, once run,
// leaves it.
TEST(SatelliteFixture, LeavesAMarkerWhenItsCodeRuns) {
  TestFolder folder;
  const std::wstring marker = folder.File(L"dllmain-ran.txt");
  ScopedEnvironment set(L"E2E_SATELLITE_MARKER", marker);
  ASSERT_TRUE(folder.Put(e2e::JoinPath(e2e::GetPaths().fixtures, kLoc.dll), L"Loaded.dll"));
  {
    uidriver::UniqueModule loaded(::LoadLibraryW(folder.File(L"Loaded.dll").c_str()));
    ASSERT_TRUE(loaded) << "cannot load the fixture";
  }
  EXPECT_TRUE(e2e::FileExists(marker)) << "loading the fixture left no marker";
}

}  // namespace
