// What a run sets up and leaves behind beyond the window: the process's error
// mode, and no settings in the registry or beside the program.
#include <windows.h>

#include <gtest/gtest.h>
#include <shlwapi.h>

#include "harness.h"
#include "input.h"
#include "owned.h"
#include "remote_probe.h"

namespace {

using e2e::Notice;
using e2e::TestFolder;

const wchar_t kSettingsKey[] = L"Software\\应用程序向导生成的本地应用程序";

bool SettingsKeyExists() {
  HKEY opened = nullptr;
  const LONG status = ::RegOpenKeyExW(HKEY_CURRENT_USER, kSettingsKey, 0, KEY_READ, &opened);
  uidriver::UniqueKey key(opened);
  return status == ERROR_SUCCESS;
}

std::vector<std::wstring> FilesIn(const std::wstring& folder) {
  std::vector<std::wstring> names;
  WIN32_FIND_DATAW found;
  uidriver::UniqueFind search(::FindFirstFileW(e2e::JoinPath(folder, L"*").c_str(), &found));
  if (!search) return names;
  do {
    if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) names.push_back(found.cFileName);
  } while (::FindNextFileW(search.get(), &found));
  return names;
}

// Starts the program from `folder` and attaches the probe to its notice.
void StartProbed(const TestFolder& folder, Notice* notice, uidriver::RemoteProbe* probe) {
  ASSERT_TRUE(notice->Start(folder)) << notice->error();
  HWND window = notice->WaitForWindow();
  ASSERT_NE(window, nullptr) << notice->error();
  std::wstring error;
  ASSERT_TRUE(probe->Attach(window, e2e::ProbeDll(), &error)) << error;
}

// Under Wine a child starts with error mode 0 whatever its parent's is, so
// this sees what the program added, not what it kept.
TEST(StartUp, ErrorModeFailsCriticalErrorsAndOpenFileBoxesSilently) {
  TestFolder folder;
  Notice notice;
  uidriver::RemoteProbe probe;
  ASSERT_NO_FATAL_FAILURE(StartProbed(folder, &notice, &probe));
  UINT mode = 0;
  ASSERT_TRUE(probe.ErrorMode(&mode)) << probe.lastError();
  const UINT wanted = SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX;
  EXPECT_EQ(mode & wanted, wanted) << "error mode " << e2e::Hex(mode, 4);
}

// comctl32 is no import but loaded once the DLL search is restricted; the
// manifest must still redirect it to the side-by-side version 6. (Wine's
// version 6 reports 5.81 from DllGetVersion, so its folder is what tells.)
TEST(StartUp, TheCommonControlsLoadedAreTheSideBySideVersion6) {
  TestFolder folder;
  Notice notice;
  uidriver::RemoteProbe probe;
  ASSERT_NO_FATAL_FAILURE(StartProbed(folder, &notice, &probe));
  std::wstring path;
  ASSERT_TRUE(probe.CommonControlsPath(&path)) << probe.lastError();
  const std::wstring version6 =
      L"\\winsxs\\x86_microsoft.windows.common-controls_6595b64144ccf1df_6.";
  EXPECT_NE(e2e::Lower(path).find(version6), std::wstring::npos)
      << "expected comctl32.dll from a folder containing " << version6 << ", seen \"" << path
      << "\"";
}

TEST(StartUp, ARunCreatesNoSettingsKeyAndWritesNoFileBesideTheProgram) {
  // A key left by an earlier, faulty run would hide a good one.
  ::SHDeleteKeyW(HKEY_CURRENT_USER, kSettingsKey);
  ASSERT_FALSE(SettingsKeyExists()) << "cannot remove HKCU\\" << kSettingsKey;

  TestFolder folder;
  Notice notice;
  ASSERT_TRUE(notice.Start(folder)) << notice.error();
  HWND window = notice.WaitForWindow();
  ASSERT_NE(window, nullptr) << notice.error();
  EXPECT_FALSE(SettingsKeyExists()) << "created while the notice shows";

  ASSERT_TRUE(uidriver::PostClose(window));
  std::vector<std::wstring> shown;
  ASSERT_TRUE(notice.WaitForExit(e2e::kExitTimeoutMs, &shown)) << "still running after the close";
  EXPECT_FALSE(SettingsKeyExists()) << "HKCU\\" << kSettingsKey << " exists after the run";
  const std::vector<std::wstring> files = FilesIn(folder.path());
  EXPECT_EQ(files, std::vector<std::wstring>{L"TarvicUpdateHelper.exe"})
      << "files in " << folder.path() << " after the run";
}

}  // namespace
