// Files a web page could have left where the elevated program starts: in
// its folder, in the current folder, at C:\Program.exe. Programs a registered
// uninstall command could be taken to mean, and DLLs under the names of
// system DLLs; all of them our planted stand-ins (tools/standins/planted),
// which leave a marker when their code runs. None of it may run.
#include <windows.h>

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "action_fixture.h"
#include "actions/uninstall_texts.h"
#include "hardening_fixture.h"
#include "harness.h"
#include "input.h"
#include "owned.h"
#include "process.h"
#include "tools/standins/planted/settings.h"
#include "tools/standins/uninstaller/settings.h"
#include "wait.h"

namespace {

using e2e::ExpectedBox;
using e2e::Lower;
using e2e::PlacedFile;
using e2e::ShownBox;
using e2e::StandinRun;

const int kUninstallButton = 1001;
const int kDownloadButton = 1002;
const wchar_t kCaption[] = L"TarvicUpdateHelper";

// ---- which program a registered command starts

// A bare name of our own, so that the test decides what "the system's"
// program of that name does.
const wchar_t kBareName[] = L"tarvic-e2e-uninstall.exe";
const wchar_t kProgramFilesFolder[] = L"C:\\Program Files\\Tarvic Test";
// Shorter prefixes of an unquoted C:\Program Files\Tarvic Test\... that
// CreateProcessW, left to look for itself, would try first.
const wchar_t* const kShorterPrefixes[] = {L"C:\\Program.exe", L"C:\\Program Files\\Tarvic.exe"};

// Where the test puts the real uninstaller (our stand-in).
enum class Real { InProgramFiles, InSystemFolder, OnAnAbsolutePathEntry, Nowhere };

struct ProgramCase {
  const char* name;
  const wchar_t* command;
  Real real;
  const wchar_t* text;  // the outcome the notice must report
  const char* icon;
};

// Every case also has the planted program at both shorter prefixes, and
// under the bare name beside the program, in the current folder, and in the
// folders of the relative PATH entries "." and "planted-path".
// 1. An unquoted path with spaces: the registered program, not C:\Program.exe.
//    Our uninstaller splits its command line as programs do and, given
//    "Files\Tarvic" and the rest as options it does not know, does nothing.
// 2-4. A bare name, with or without ".exe" or quoted: the system folder's.
// 5. A bare name found on an absolute PATH entry after the relative ones.
// 6. A bare name found only in folders of ours: nothing runs.
const ProgramCase kPrograms[] = {
    {"UnquotedPathWithSpaces", L"C:\\Program Files\\Tarvic Test\\uninst.exe /S",
     Real::InProgramFiles, UNINSTALL_TEXT_NOT_DONE, "exclamation"},
    {"BareName", L"tarvic-e2e-uninstall.exe --delete-key", Real::InSystemFolder,
     UNINSTALL_TEXT_DONE, "exclamation"},
    {"BareNameWithoutExtension", L"tarvic-e2e-uninstall --delete-key", Real::InSystemFolder,
     UNINSTALL_TEXT_DONE, "exclamation"},
    {"QuotedBareName", L"\"tarvic-e2e-uninstall.exe\" --delete-key", Real::InSystemFolder,
     UNINSTALL_TEXT_DONE, "exclamation"},
    {"BareNameOnAnAbsolutePathEntry", L"tarvic-e2e-uninstall.exe --delete-key",
     Real::OnAnAbsolutePathEntry, UNINSTALL_TEXT_DONE, "exclamation"},
    {"BareNameOnlyInOurFolders", L"tarvic-e2e-uninstall.exe --delete-key", Real::Nowhere,
     UNINSTALL_TEXT_CANNOT_START, "error"},
};

void PrintTo(const ProgramCase& c, std::ostream* out) { *out << c.name; }

std::wstring SystemFolder() {
  wchar_t folder[MAX_PATH] = L"";
  const UINT length = ::GetSystemDirectoryW(folder, ARRAYSIZE(folder));
  return length > 0 && length < ARRAYSIZE(folder) ? std::wstring(folder, length) : std::wstring();
}

// The program copied into app\ of the test's folder and started with the
// test's folder as its current one, so the two are different places.
class PlantedPrograms : public testing::TestWithParam<ProgramCase> {
 protected:
  PlantedPrograms()
      : marker_(folder_),
        record_(UNINSTALLER_STANDIN_RECORD_VARIABLE, folder_.File(L"uninstall-record.txt")) {}

  void SetUp() override {
    for (const wchar_t* sub : {L"app", L"planted-path", L"on-path"})
      ASSERT_TRUE(::CreateDirectoryW(folder_.File(sub).c_str(), nullptr) ||
                  ::GetLastError() == ERROR_ALREADY_EXISTS)
          << "cannot make " << folder_.File(sub);
    const std::wstring planted = e2e::Standin(L"planted_program.exe");
    for (const wchar_t* place : {L"app", L".", L"planted-path"}) {
      const std::wstring name = std::wstring(place) + L"\\" + kBareName;
      ASSERT_TRUE(folder_.Put(planted, name)) << "cannot plant " << folder_.File(name);
    }
    // Left by an earlier run that did not finish, a real one would be found
    // where the case has none.
    ::DeleteFileW(folder_.File(L"on-path\\" + std::wstring(kBareName)).c_str());
    ::DeleteFileW(e2e::JoinPath(SystemFolder(), kBareName).c_str());
  }

  void TearDown() override { notice_.process().Terminate(); }

  std::vector<StandinRun> Runs() const {
    return e2e::ReadRecord(folder_.File(L"uninstall-record.txt"));
  }

  e2e::TestFolder folder_;
  e2e::PlantedMarker marker_;
  e2e::ScopedEnvironment record_;
  e2e::UninstallEntry entry_;
  e2e::Notice notice_;
};

TEST_P(PlantedPrograms, OnlyTheRegisteredUninstallerRuns) {
  const ProgramCase& c = GetParam();
  const std::wstring standin = e2e::Standin(L"uninstaller.exe");
  const std::wstring planted = e2e::Standin(L"planted_program.exe");
  // Made before the files in it, so that it goes after them.
  e2e::PlacedFolder programFiles(kProgramFilesFolder);
  std::vector<std::unique_ptr<PlacedFile>> placed;
  for (const wchar_t* prefix : kShorterPrefixes) {
    placed.push_back(std::make_unique<PlacedFile>(planted, prefix));
    ASSERT_TRUE(placed.back()->placed()) << "cannot plant " << prefix;
  }

  std::wstring real;
  switch (c.real) {
    case Real::InProgramFiles:
      real = programFiles.File(L"uninst.exe");
      break;
    case Real::InSystemFolder:
      real = e2e::JoinPath(SystemFolder(), kBareName);
      break;
    case Real::OnAnAbsolutePathEntry:
      real = folder_.File(L"on-path\\" + std::wstring(kBareName));
      break;
    case Real::Nowhere:
      break;
  }
  if (!real.empty()) {
    placed.push_back(std::make_unique<PlacedFile>(standin, real));
    ASSERT_TRUE(placed.back()->placed()) << "cannot put the uninstaller at " << real;
  }
  // Relative entries first: were they searched, the planted copies would win.
  e2e::ScopedEnvironment path(
      L"PATH", L".;planted-path;" + folder_.File(L"on-path") + L";" + e2e::Environment(L"PATH"));

  ASSERT_TRUE(entry_.Set(c.command));
  ASSERT_TRUE(notice_.Start(folder_, L"app\\TarvicUpdateHelper.exe")) << notice_.error();
  ASSERT_NE(notice_.WaitForWindow(), nullptr) << notice_.error();
  ASSERT_TRUE(e2e::PostClick(notice_.window(), kUninstallButton));
  ShownBox box;
  ASSERT_TRUE(e2e::WaitForBox(notice_, e2e::kAppearTimeoutMs, &box));
  EXPECT_TRUE(marker_.Runs().empty()) << "planted code ran: " << e2e::Describe(marker_.Runs());
  EXPECT_TRUE(e2e::CheckAndDismiss(box, notice_.window(), ExpectedBox{c.text, c.icon, kCaption}));

  const std::vector<StandinRun> runs = Runs();
  if (real.empty()) {
    EXPECT_TRUE(runs.empty()) << "an uninstaller ran: " << runs[0].Get("program");
    EXPECT_TRUE(e2e::ChildProcessesOf(notice_.process().id()).empty())
        << "the notice started a process";
  } else {
    ASSERT_EQ(runs.size(), 1u) << "uninstallers started for one click";
    EXPECT_EQ(Lower(runs[0].Get("program")), Lower(real)) << "the program that ran";
    EXPECT_EQ(runs[0].Get("commandLine"), c.command) << "its command line";
  }
  // Before the files placed for the test go.
  notice_.process().Terminate();
}

INSTANTIATE_TEST_SUITE_P(, PlantedPrograms, testing::ValuesIn(kPrograms),
                         [](const testing::TestParamInfo<ProgramCase>& info) {
                           return std::string(info.param.name);
                         });

// The bare name Windows Installer registers, with its copies planted beside
// the program and in the current folder: the system folder's msiexec.exe
// runs (Wine's answers an unknown product by exiting), so the entry stays
// and the notice says so; a planted copy would leave its marker, and no
// program found would say "无法启动卸载程序".
TEST(PlantedMsiExec, TheSystemFoldersCopyRunsNotOneBesideTheProgramOrInTheCurrentFolder) {
  e2e::TestFolder folder;
  e2e::PlantedMarker marker(folder);
  ASSERT_TRUE(e2e::FileExists(e2e::JoinPath(SystemFolder(), L"msiexec.exe")))
      << "no msiexec.exe in " << SystemFolder();
  ASSERT_TRUE(::CreateDirectoryW(folder.File(L"app").c_str(), nullptr) ||
              ::GetLastError() == ERROR_ALREADY_EXISTS);
  for (const wchar_t* name : {L"app\\MsiExec.exe", L"MsiExec.exe"})
    ASSERT_TRUE(folder.Put(e2e::Standin(L"planted_program.exe"), name))
        << "cannot plant " << folder.File(name);
  e2e::UninstallEntry entry;
  ASSERT_TRUE(entry.Set(L"MsiExec.exe /X{5C1D8E6A-0B7F-4C2E-9A31-7D4B2F6E8C10}"));

  e2e::Notice notice;
  ASSERT_TRUE(notice.Start(folder, L"app\\TarvicUpdateHelper.exe")) << notice.error();
  ASSERT_NE(notice.WaitForWindow(), nullptr) << notice.error();
  ASSERT_TRUE(e2e::PostClick(notice.window(), kUninstallButton));
  ShownBox box;
  ASSERT_TRUE(e2e::WaitForBox(notice, e2e::kAppearTimeoutMs, &box));
  EXPECT_TRUE(marker.Runs().empty()) << "planted code ran: " << e2e::Describe(marker.Runs());
  EXPECT_TRUE(e2e::CheckAndDismiss(box, notice.window(),
                                   ExpectedBox{UNINSTALL_TEXT_NOT_DONE, "exclamation", kCaption}));
  notice.process().Terminate();
}

// ---- DLLs beside the program

using DllNames = std::vector<const wchar_t*>;

// Names of system DLLs that are not KnownDLLs. Under Wine a DLL of such a
// name is loaded from the program's folder only with a native-first
// override for it, which run_e2e.sh sets (overrides a Windows program sets
// do not reach the programs it starts).
// Asked for after start-up, by the program or by the system DLLs it uses
// (under Wine, 下载新软件 loads mpr, wininet and urlmon).
const DllNames kAskedLater = {L"dwmapi", L"comctl32", L"cryptbase", L"mpr", L"wininet", L"urlmon"};
// Asked for by the common controls' initialisation: before the program's
// first instruction if comctl32 were one of its imports.
const DllNames kAskedAtStartUp = {L"uxtheme"};
// Not planted, being Wine's own doing: version.dll, which Wine's user32
// imports, so it is looked for beside the program while the imports are
// resolved; msimg32.dll, which Wine's uxtheme delay-loads, and Wine resolves
// a delay-load with the program's folder first whatever the program set.

DllNames AllPlanted() {
  DllNames all = kAskedLater;
  all.insert(all.end(), kAskedAtStartUp.begin(), kAskedAtStartUp.end());
  return all;
}

testing::AssertionResult NativeFirstFor(const DllNames& names) {
  const std::wstring overrides = L";" + Lower(e2e::Environment(L"WINEDLLOVERRIDES")) + L";";
  for (const wchar_t* name : names) {
    if (overrides.find(L";" + std::wstring(name) + L"=n,b;") == std::wstring::npos)
      return testing::AssertionFailure()
             << "expected the override " << name
             << "=n,b (run_e2e.sh sets it); WINEDLLOVERRIDES is " << overrides;
  }
  return testing::AssertionSuccess();
}

void PlantDlls(const e2e::TestFolder& folder, const DllNames& names) {
  ASSERT_TRUE(NativeFirstFor(names));
  for (const wchar_t* name : names) {
    const std::wstring file = std::wstring(name) + L".dll";
    ASSERT_TRUE(folder.Put(e2e::Standin(L"planted_library.dll"), file))
        << "cannot plant " << folder.File(file);
  }
}

// Each planted DLL does get loaded, and leaves its marker, when a program
// beside it asks for it by its bare name: the tests below can fail.
TEST(PlantedDllsControl, EachIsLoadedByAProgramBesideItThatAsksByItsBareName) {
  e2e::TestFolder folder;
  e2e::PlantedMarker marker(folder);
  ASSERT_NO_FATAL_FAILURE(PlantDlls(folder, AllPlanted()));
  ASSERT_TRUE(folder.Put(e2e::Standin(L"bare_loader.exe"), L"bare_loader.exe"));

  for (const wchar_t* name : AllPlanted()) {
    SCOPED_TRACE(e2e::ToUtf8(name));
    const std::wstring dll = std::wstring(name) + L".dll";
    DWORD exitCode = 0;
    std::wstring error;
    ASSERT_TRUE(uidriver::RunAndWait(L"\"" + folder.File(L"bare_loader.exe") + L"\" " + dll,
                                     e2e::kExitTimeoutMs, &exitCode, &error))
        << error;
    EXPECT_EQ(exitCode, 0u) << "the loader could not load " << dll;
    const std::wstring expected = folder.File(dll) + L" in " + folder.File(L"bare_loader.exe");
    const std::vector<std::wstring> runs = marker.Runs();
    EXPECT_FALSE(runs.empty() || Lower(runs.back()) != Lower(expected))
        << "expected the planted " << dll
        << " to leave its marker; runs of planted code: " << e2e::Describe(runs);
  }
}

struct HookTraits {
  using Value = HHOOK;
  static Value Invalid() { return nullptr; }
  static bool IsValid(Value h) { return h != nullptr; }
  static void Close(Value h) { ::UnhookWindowsHookEx(h); }
};

// Whatever asks for one of them by its bare name inside the running notice
// gets the system's copy or none: the search is restricted from start-up on.
// The asker is a window hook of ours (tools/standins/planted/asking_hook.cpp)
// that Wine loads into the notice.
TEST(PlantedDlls, ABareNameAskedForInsideTheRunningNoticeIsNotTheOneBesideIt) {
  e2e::TestFolder folder;
  e2e::PlantedMarker marker(folder);
  ASSERT_NO_FATAL_FAILURE(PlantDlls(folder, kAskedLater));
  std::wstring names;
  for (const wchar_t* name : kAskedLater) names += std::wstring(name) + L".dll;";
  const std::wstring record = folder.File(L"asked.txt");
  e2e::ScopedEnvironment asked(ASKING_HOOK_NAMES_VARIABLE, names);
  e2e::ScopedEnvironment recorded(ASKING_HOOK_RECORD_VARIABLE, record);

  e2e::Notice notice;
  ASSERT_TRUE(notice.Start(folder)) << notice.error();
  HWND window = notice.WaitForWindow();
  ASSERT_NE(window, nullptr) << notice.error();
  uidriver::UniqueModule hookDll(::LoadLibraryW(e2e::Standin(L"asking_hook.dll").c_str()));
  ASSERT_TRUE(hookDll) << uidriver::LastErrorText(L"loading asking_hook.dll");
  auto proc = reinterpret_cast<HOOKPROC>(
      reinterpret_cast<void*>(::GetProcAddress(hookDll.get(), ASKING_HOOK_PROC)));
  ASSERT_NE(proc, nullptr) << "asking_hook.dll exports no " << ASKING_HOOK_PROC;
  uidriver::Owned<HookTraits> hook(::SetWindowsHookExW(
      WH_GETMESSAGE, proc, hookDll.get(), ::GetWindowThreadProcessId(window, nullptr)));
  ASSERT_TRUE(hook) << uidriver::LastErrorText(L"hooking the notice's thread");
  ASSERT_TRUE(::PostMessageW(window, WM_NULL, 0, 0));
  ASSERT_TRUE(uidriver::WaitUntil(e2e::kReactTimeoutMs,
                                  [&] {
                                    const std::vector<StandinRun> runs = e2e::ReadRecord(record);
                                    return !runs.empty() && runs[0].Has("end");
                                  }))
      << "the hook did not ask within " << e2e::kReactTimeoutMs << " ms";

  const StandinRun answers = e2e::ReadRecord(record)[0];
  EXPECT_EQ(answers.pid, notice.process().id()) << "the hook asked in another process";
  for (const wchar_t* name : kAskedLater) {
    const std::wstring from = answers.Get(e2e::ToUtf8(name) + ".dll");
    EXPECT_FALSE(from.empty() || Lower(from).find(Lower(folder.path())) == 0)
        << "expected " << name << ".dll from the system or not at all, seen \"" << from << "\"";
  }
  EXPECT_TRUE(marker.Runs().empty()) << "planted code ran: " << e2e::Describe(marker.Runs());
}

// The program with these DLLs beside it, used as a user would: started, F1
// (the help viewer), 下载新软件 (the browser), 卸载旧软件 (an uninstaller
// kept in a folder of its own), closed. None of their code may run.
void UseTheNoticeWith(const DllNames& names) {
  e2e::TestFolder folder;
  e2e::PlantedMarker marker(folder);
  ASSERT_NO_FATAL_FAILURE(PlantDlls(folder, names));
  e2e::ScopedEnvironment help(L"E2E_HELP_RECORD", folder.File(L"help-record.txt"));
  e2e::ScopedEnvironment uninstall(UNINSTALLER_STANDIN_RECORD_VARIABLE,
                                   folder.File(L"uninstall-record.txt"));
  e2e::BrowserRecord browser(folder.File(L"browser-record.txt"), 0);
  ASSERT_TRUE(browser.written());
  e2e::UninstallEntry entry;
  e2e::PlacedFolder clean(folder.File(L"clean"));
  PlacedFile uninstaller(e2e::Standin(L"uninstaller.exe"), clean.File(L"uninstaller.exe"));
  ASSERT_TRUE(uninstaller.placed());
  ASSERT_TRUE(entry.Set(L"\"" + uninstaller.path() + L"\" --delete-key"));

  e2e::Notice notice;
  ASSERT_TRUE(notice.Start(folder)) << notice.error();
  HWND window = notice.WaitForWindow();
  ASSERT_NE(window, nullptr) << notice.error()
                             << "; planted code that ran: " << e2e::Describe(marker.Runs());

  ASSERT_TRUE(uidriver::PressKey(window, VK_F1));
  EXPECT_TRUE(uidriver::WaitUntil(e2e::kReactTimeoutMs, [&] {
    return !e2e::ReadFileBytes(folder.File(L"help-record.txt")).empty();
  })) << "F1 did not reach the help viewer";

  ASSERT_TRUE(e2e::PostClick(window, kDownloadButton));
  ASSERT_TRUE(e2e::WaitUntilHandled(notice));
  EXPECT_TRUE(uidriver::WaitUntil(e2e::kReactTimeoutMs, [&] {
    return !e2e::ReadRecord(folder.File(L"browser-record.txt")).empty();
  })) << "下载新软件 did not start the browser";

  ASSERT_TRUE(e2e::PostClick(window, kUninstallButton));
  ShownBox box;
  ASSERT_TRUE(e2e::WaitForBox(notice, e2e::kAppearTimeoutMs, &box));
  EXPECT_TRUE(
      e2e::CheckAndDismiss(box, window, ExpectedBox{UNINSTALL_TEXT_DONE, "exclamation", kCaption}));

  ASSERT_TRUE(uidriver::PostClose(window));
  std::vector<std::wstring> shown;
  EXPECT_TRUE(notice.WaitForExit(e2e::kExitTimeoutMs, &shown)) << "still running after the close";
  for (const StandinRun& run : e2e::ReadRecord(folder.File(L"browser-record.txt")))
    e2e::EndProcess(run.pid, L"iexplore.exe");
  EXPECT_TRUE(marker.Runs().empty()) << "planted code ran: " << e2e::Describe(marker.Runs());
}

// Under Wine the program's own features reach none of them even without the
// restricted search (Wine looks for a DLL's imports in its own folder
// first); the hook above is what shows the restriction.
TEST(PlantedDlls, NoneAskedForAfterStartUpIsLoaded) { UseTheNoticeWith(kAskedLater); }

// comctl32 initialises itself, loading uxtheme.dll by its bare name, as it
// is loaded. As an import it would be loaded before the program's first
// instruction, with the program's folder still searched first.
TEST(PlantedDlls, NoneAskedForAtStartUpIsLoaded) { UseTheNoticeWith(kAskedAtStartUp); }

}  // namespace
