#include "framework/module_names.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

TEST(ModuleNames, ApplicationNameIsTheFileNameWithoutExtension) {
  struct Case {
    const wchar_t* path;
    const wchar_t* name;
  } cases[] = {
      {L"C:\\Users\\u\\Downloads\\TarvicUpdateHelper.exe", L"TarvicUpdateHelper"},
      {L"C:\\e2e\\Renamed.exe", L"Renamed"},
      {L"C:\\dir.with.dots\\App", L"App"},          // a dot in a folder is no extension
      {L"C:\\dir\\App.backup.exe", L"App.backup"},  // only the last dot ends the name
      {L"\\\\server\\share\\App.EXE", L"App"},
      {L"App.exe", L"App"},
  };
  for (const Case& c : cases) {
    wchar_t name[64];
    ASSERT_TRUE(AppNameFromModulePath(c.path, name, 64)) << c.path;
    EXPECT_STREQ(c.name, name) << "for " << c.path;
  }
}

TEST(ModuleNames, HelpFileReplacesTheExtension) {
  struct Case {
    const wchar_t* path;
    const wchar_t* help;
  } cases[] = {
      {L"C:\\Tools\\TarvicUpdateHelper.exe", L"C:\\Tools\\TarvicUpdateHelper.HLP"},
      {L"C:\\dir.x\\App", L"C:\\dir.x\\App.HLP"},
  };
  for (const Case& c : cases) {
    wchar_t help[64];
    ASSERT_TRUE(HelpFilePath(c.path, help, 64)) << c.path;
    EXPECT_STREQ(c.help, help) << "for " << c.path;
  }
}

TEST(ModuleNames, SatelliteIsTheStemThenTheLanguageThenDll) {
  wchar_t satellite[64];
  ASSERT_TRUE(SatelliteModulePath(L"C:\\Tools\\App.exe", L"CHS", satellite, 64));
  EXPECT_STREQ(L"C:\\Tools\\AppCHS.dll", satellite);
}

TEST(ModuleNames, ANameThatDoesNotFitIsRefusedNotCut) {
  const std::wstring longPath = L"C:\\" + std::wstring(300, L'a') + L".exe";
  wchar_t buffer[260];
  EXPECT_FALSE(HelpFilePath(longPath.c_str(), buffer, 260));
  EXPECT_STREQ(L"", buffer);
  // "C:\App.HLP" is ten units and its terminator.
  EXPECT_FALSE(HelpFilePath(L"C:\\App.exe", buffer, 10));
  EXPECT_TRUE(HelpFilePath(L"C:\\App.exe", buffer, 11));
  EXPECT_FALSE(SatelliteModulePath(L"C:\\App.exe", L"LOC", buffer, 13));
  EXPECT_TRUE(SatelliteModulePath(L"C:\\App.exe", L"LOC", buffer, 14));
}

TEST(ModuleNames, SatelliteLanguagesAreTheInterfaceLanguagesThenTheirPrimaries) {
  struct Case {
    uint16_t user, system;
    std::vector<uint16_t> order;
  } cases[] = {
      {0x0804, 0x0409, {0x0804, 0x0409, 0x0004, 0x0009}},  // Chinese user, English system
      {0x0804, 0x0804, {0x0804, 0x0004}},                  // repeats tried once
      {0x0004, 0x0804, {0x0004, 0x0804}},                  // a primary already listed
  };
  for (const Case& c : cases) {
    uint16_t order[4] = {};
    const int count = SatelliteLanguageOrder(c.user, c.system, order);
    EXPECT_EQ(c.order, std::vector<uint16_t>(order, order + count))
        << "for user 0x" << std::hex << c.user << ", system 0x" << c.system;
  }
}

}  // namespace
