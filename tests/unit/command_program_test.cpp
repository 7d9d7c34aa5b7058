#include "actions/command_program.h"

#include <algorithm>
#include <functional>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "framework/bounded_text.h"
#include "tests/unit/fake_platform.h"

namespace {

// Where a web page can leave files: our folder and the current one.
const std::wstring kDownloads = L"C:\\Users\\u\\Downloads\\";
const std::wstring kSystem = L"C:\\Windows\\system32\\";
const std::wstring kProgram = L"C:\\Program Files\\Tarvic\\uninst.exe";
const std::wstring kPlanted = L"C:\\Program.exe";
const std::wstring kMsiExec = kSystem + L"MsiExec.exe";
const std::wstring kRemove = L" /X{5C1D8E6A-0B7F-4C2E-9A31-7D4B2F6E8C10}";

struct Case {
  const char* what;
  std::wstring commandLine;
  std::vector<std::wstring> files;
  std::wstring program;  // empty: refused
  std::wstring path = L"";  // PATH; empty: not set
  std::vector<std::wstring> folders = {};
};

void ExpectProgram(const Case& c, const std::function<void(FakePlatform&)>& arrange = nullptr) {
  SCOPED_TRACE(std::string(c.what) + ": " + testing::PrintToString(c.commandLine));
  FakePlatform os;
  for (const auto& file : c.files) os.AddFile(file);
  for (const auto& folder : c.folders) os.AddFolder(folder);
  if (!c.path.empty()) os.SetEnvironment(L"PATH", c.path);
  if (arrange) arrange(os);
  wchar_t program[kPathUnits];
  std::fill(program, program + kPathUnits, L'?');

  const bool found = FindProgram(os, c.commandLine.c_str(), program);

  const std::wstring chosen(program, BoundedLength(program, kPathUnits));
  EXPECT_LT(chosen.size(), kPathUnits) << "expected the program's path terminated";
  if (c.program.empty()) {
    EXPECT_FALSE(found) << "expected no program; saw " << testing::PrintToString(chosen);
    EXPECT_EQ(L"", chosen) << "expected an empty path when refused";
  } else {
    EXPECT_TRUE(found) << "expected " << testing::PrintToString(c.program) << "; none found";
    EXPECT_EQ(c.program, chosen);
  }
  for (const auto& asked : os.attributeQueries)
    EXPECT_EQ(std::wstring::npos, asked.find(kDownloads))
        << "expected our folder and the current one never to be looked in; asked about "
        << testing::PrintToString(asked);
}

TEST(CommandProgram, AQuotedProgramIsTheQuotedPath) {
  const std::vector<Case> cases = {
      {"with arguments", L"\"" + kProgram + L"\" /S", {kProgram, kPlanted}, kProgram},
      {"alone", L"\"" + kProgram + L"\"", {kProgram}, kProgram},
      {"after blanks", L" \t\"" + kProgram + L"\" /S", {kProgram}, kProgram},
      {"missing: no shorter prefix instead", L"\"" + kProgram + L"\" /S", {kPlanted}, L""},
      {"a folder is no program", L"\"" + kProgram + L"\" /S", {}, L"", L"", {kProgram}},
      {"never closed", L"\"" + kProgram + L" /S", {kProgram}, L""},
      {"text right after the closing quote", L"\"" + kProgram + L"\"x /S", {kProgram}, L""},
      {"empty quotes", L"\"\" /S", {kProgram}, L""},
      {"relative to the current folder", L"\"Tarvic\\uninst.exe\" /S",
       {kDownloads + L"Tarvic\\uninst.exe"}, L""},
      {"a bare name in quotes is looked for like one", L"\"MsiExec.exe\"" + kRemove,
       {kDownloads + L"MsiExec.exe", kMsiExec}, kMsiExec},
  };
  for (const Case& c : cases) ExpectProgram(c);
}

TEST(CommandProgram, AnUnquotedPathIsTheShortestExistingExePrefix) {
  const std::wstring unquoted = kProgram + L" /S";
  const std::wstring twoExes = L"C:\\Tools\\a.exe b\\c.exe";
  const std::vector<Case> cases = {
      {"with spaces, beside a planted C:\\Program.exe", unquoted, {kPlanted, kProgram}, kProgram},
      {"missing: the planted C:\\Program.exe is not taken", unquoted, {kPlanted}, L""},
      {"a folder is passed over", unquoted, {}, L"", L"", {kProgram}},
      {"no .exe is added to a prefix", L"C:\\Program Files\\Tarvic\\uninst /S", {kProgram},
       L""},
      {"a prefix not ending in .exe is not taken", L"C:\\Tarvic\\uninst.cmd /S",
       {L"C:\\Tarvic\\uninst.cmd"}, L""},
      {"the shorter of two", twoExes + L" /S", {L"C:\\Tools\\a.exe", twoExes},
       L"C:\\Tools\\a.exe"},
      {"the longer when the shorter is missing", twoExes + L" /S", {twoExes}, twoExes},
      {"the longer when the shorter is a folder", twoExes, {twoExes}, twoExes, L"",
       {L"C:\\Tools\\a.exe"}},
      {"tab-delimited", L"C:\\Tarvic\\uninst.exe\t/S", {L"C:\\Tarvic\\uninst.exe"},
       L"C:\\Tarvic\\uninst.exe"},
      {"after blanks", L"  C:\\Tarvic\\uninst.exe /S", {L"C:\\Tarvic\\uninst.exe"},
       L"C:\\Tarvic\\uninst.exe"},
      {"capitals", L"C:\\TARVIC\\UNINST.EXE /S", {L"C:\\Tarvic\\uninst.exe"},
       L"C:\\TARVIC\\UNINST.EXE"},
      {"forward slashes", L"c:/Tarvic/uninst.exe /S", {L"C:\\Tarvic\\uninst.exe"},
       L"c:/Tarvic/uninst.exe"},
      {"a network path", L"\\\\server\\share\\uninst.exe /S", {L"\\\\server\\share\\uninst.exe"},
       L"\\\\server\\share\\uninst.exe"},
      {"a quote in the path", L"C:\\Tar\"vic\\uninst.exe /S", {L"C:\\Tar\"vic\\uninst.exe"},
       L""},
  };
  for (const Case& c : cases) ExpectProgram(c);
}

TEST(CommandProgram, APathRelativeToTheCurrentFolderOrDriveIsRefused) {
  const std::vector<Case> cases = {
      {"a subfolder", L"Tarvic\\uninst.exe /S", {kDownloads + L"Tarvic\\uninst.exe"}, L""},
      {"a subfolder, with spaces", L"Tarvic Tools\\uninst.exe /S",
       {kDownloads + L"Tarvic Tools\\uninst.exe"}, L""},
      {"dot", L".\\uninst.exe /S", {kDownloads + L"uninst.exe"}, L""},
      {"dot-dot", L"..\\uninst.exe /S", {L"C:\\Users\\u\\uninst.exe"}, L""},
      {"the current drive's root", L"\\Tarvic\\uninst.exe /S", {L"C:\\Tarvic\\uninst.exe"},
       L""},
      {"the current folder of a drive", L"C:uninst.exe /S", {L"C:\\uninst.exe"}, L""},
      {"empty", L"", {}, L""},
      {"blanks alone", L" \t ", {}, L""},
  };
  for (const Case& c : cases) ExpectProgram(c);
}

TEST(CommandProgram, ABareNameIsLookedForInTheSystemFoldersAndAbsolutePathEntriesOnly) {
  const std::wstring planted = kDownloads + L"MsiExec.exe";
  const std::wstring tool = L"C:\\Tools\\tool.exe";
  const std::wstring longFolder = L"C:\\" + std::wstring(250, L'f');
  const std::vector<Case> cases = {
      {"the system folder, not the planted copy", L"MsiExec.exe" + kRemove, {planted, kMsiExec},
       kMsiExec},
      {"no extension: .exe is added", L"msiexec" + kRemove, {kMsiExec}, kSystem + L"msiexec.exe"},
      {"an extension is kept", L"tool.com /S", {L"C:\\Windows\\tool.com", tool},
       L"C:\\Windows\\tool.com"},
      {"the system folder before the Windows folder", L"notepad.exe",
       {L"C:\\Windows\\notepad.exe", kSystem + L"notepad.exe"}, kSystem + L"notepad.exe"},
      {"then the Windows folder", L"notepad.exe", {L"C:\\Windows\\notepad.exe"},
       L"C:\\Windows\\notepad.exe"},
      {"then PATH", L"tool.exe /S", {tool}, tool, L"C:\\Tools"},
      {"a PATH entry ending in a separator", L"tool.exe", {tool}, tool, L"C:\\Tools\\"},
      {"PATH entries in order", L"tool.exe", {L"C:\\A\\tool.exe", L"C:\\B\\tool.exe"},
       L"C:\\A\\tool.exe", L";C:\\A;C:\\B;"},
      {"relative PATH entries are skipped", L"tool.exe", {planted, tool, kDownloads + L"tool.exe"},
       tool, L".;bin;\\Tools;C:Tools;C:\\Tools"},
      {"an entry too long to join is skipped", L"tool.exe", {tool}, tool,
       longFolder + L";C:\\Tools"},
      {"only in the current folder", L"MsiExec.exe" + kRemove, {planted}, L"", L"C:\\Tools"},
      {"a folder of that name is no program", L"tool.exe", {}, L"", L"C:\\Tools",
       {L"C:\\Tools\\tool.exe"}},
      {"the first word is the name", L"Tarvic Tools.exe /S", {kSystem + L"Tarvic Tools.exe"},
       L""},
      {"a quote in the name", L"to\"ol.exe", {L"C:\\Tools\\to\"ol.exe"}, L"", L"C:\\Tools"},
  };
  for (const Case& c : cases) ExpectProgram(c);

  // A PATH longer than Windows lets a variable be is not searched in part.
  ExpectProgram(
      {"PATH too long", L"tool.exe", {tool}, L"", std::wstring(33000, L';') + L"C:\\Tools"});
  // Without a usable system folder, the Windows folder still counts.
  const std::wstring inWindowsFolder = L"C:\\Windows\\notepad.exe";
  const Case inWindows = {"the Windows folder", L"notepad.exe",
                          {kSystem + L"notepad.exe", inWindowsFolder}, inWindowsFolder};
  const std::function<void(FakePlatform&)> folders[] = {
      [](FakePlatform& os) { os.systemDirectory.clear(); },
      [](FakePlatform& os) { os.systemDirectory = L"C:\\" + std::wstring(300, L'w'); },
      // Reported longer than its text: a cut folder is not used.
      [](FakePlatform& os) {
        os.systemDirectory = std::wstring(L"C:\\Windows\\system32\0x", 21);
      },
  };
  for (const auto& arrange : folders) ExpectProgram(inWindows, arrange);
  // The same for PATH, which is then not searched at all.
  ExpectProgram({"PATH reported longer than its text", L"tool.exe", {tool, L"C:\\B\\tool.exe"},
                 L"", std::wstring(L"C:\\Tools\0x;C:\\B", 15)});
}

TEST(CommandProgram, ACommandLineNotTerminatedWithin260UnitsIsRefused) {
  FakePlatform os;
  os.AddFile(L"C:\\u.exe");
  std::wstring commandLine = L"C:\\u.exe /" + std::wstring(249, L'a');
  wchar_t program[kPathUnits];
  EXPECT_TRUE(FindProgram(os, commandLine.c_str(), program)) << "259 units, terminated";
  commandLine += L'a';
  EXPECT_FALSE(FindProgram(os, commandLine.c_str(), program)) << "260 units";
  EXPECT_EQ(L'\0', program[0]) << "expected an empty path when refused";
}

}  // namespace
