#include "actions/uninstall_old.h"

#include <algorithm>
#include <functional>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "tests/unit/fake_platform.h"

namespace {

// What the user is told, and with which message-box style, as they must read.
const std::wstring kNotInstalled = L"未安装旧版Tarvic";
const std::wstring kCannotStart = L"无法启动卸载程序";
const std::wstring kDone = L"卸载成功";
const std::wstring kNotDone = L"卸载未完成";
const uint32_t kStyleOk = 0x0, kStyleError = 0x10, kStyleExclamation = 0x30;

const uint32_t kSz = 1, kExpandSz = 2;
const uint32_t kUninstaller = FakePlatform::kUninstallerPid;
const std::wstring kProgram = L"C:\\Program Files\\Tarvic\\uninst.exe";
const std::wstring kCommand = L"\"" + kProgram + L"\" /S";
// A program that exists, then arguments up to `units` units in all.
const std::wstring kShortProgram = L"C:\\u.exe";
std::wstring CommandOfLength(size_t units) {
  const std::wstring start = kShortProgram + L" /";
  return start + std::wstring(units - start.size(), L'a');
}

using Arrange = std::function<void(FakePlatform&)>;

Arrange Value(uint32_t type, const std::vector<uint8_t>& bytes) {
  return [type, bytes](FakePlatform& os) { os.SetUninstallString(type, bytes); };
}

std::vector<uint8_t> Concat(std::vector<uint8_t> bytes, const std::vector<uint8_t>& more) {
  bytes.insert(bytes.end(), more.begin(), more.end());
  return bytes;
}

// An uninstaller that removes its key and exits.
std::vector<Step> CleanUninstall() { return {RemovesKey(), Ends(kUninstaller)}; }

std::string Describe(const std::vector<FakePlatform::Message>& messages) {
  std::string text = std::to_string(messages.size()) + " message(s)";
  for (const auto& message : messages)
    text += "; " + testing::PrintToString(message.text) + " style " + std::to_string(message.type);
  return text;
}

class Uninstall : public testing::Test {
 protected:
  Uninstall() { os.AddFile(kProgram); }
  void TearDown() override { EXPECT_TRUE(os.NothingLeftOpen()); }

  // The one message of the click, checked for text and style.
  void ExpectOnlyMessage(const std::wstring& text, uint32_t style) {
    ASSERT_EQ(1u, os.messages.size()) << "expected exactly one message; saw "
                                      << Describe(os.messages);
    EXPECT_EQ(text, os.messages[0].text);
    EXPECT_EQ(style, os.messages[0].type) << "style of " << testing::PrintToString(text);
  }

  FakePlatform os;
};

// ---- what the registry holds decides what is started, or what is said

TEST(UninstallLookup, RegistryOutcomesDecideTheCommandOrTheMessage) {
  const std::wstring a255 = CommandOfLength(255), a254 = CommandOfLength(254);
  const std::wstring a256 = CommandOfLength(256), fill259 = CommandOfLength(259);
  struct Case {
    const char* what;
    Arrange arrange;
    bool starts;              // CreateProcessW is asked to start `commandLine`
    std::wstring commandLine;
    std::wstring message;
    uint32_t style;
  };
  const Case notInstalled = {"", nullptr, false, L"", kNotInstalled, kStyleError};
  auto refused = [&](const char* what, Arrange arrange) {
    Case c = notInstalled;
    c.what = what;
    c.arrange = arrange;
    return c;
  };
  auto runs = [](const char* what, Arrange arrange, const std::wstring& commandLine) {
    return Case{what, arrange, true, commandLine, kDone, kStyleOk};
  };
  // Entries naming no program: nothing is started, nor anything else tried.
  auto cannotStart = [](const char* what, Arrange arrange) {
    return Case{what, arrange, false, L"", kCannotStart, kStyleError};
  };
  const std::vector<Case> cases = {
      refused("key missing", [](FakePlatform&) {}),
      refused("access to the key refused", [](FakePlatform& os) { os.RefuseTarvicKey(); }),
      refused("value missing", [](FakePlatform& os) { os.AddTarvicKey(); }),
      refused("REG_DWORD", Value(kRegDword, {1, 0, 0, 0})),
      refused("REG_BINARY holding the text", Value(kRegBinary, Utf16(kCommand, true))),
      refused("REG_MULTI_SZ", Value(kRegMultiSz, Concat(Utf16(kCommand, true), {0, 0}))),
      runs("REG_SZ with its terminator", Value(kSz, Utf16(kCommand, true)), kCommand),
      runs("REG_SZ without a terminator", Value(kSz, Utf16(kCommand, false)), kCommand),
      runs("REG_SZ ends at its first NUL",
           Value(kSz, Concat(Utf16(kCommand, true), Utf16(L"junk", true))), kCommand),
      runs("REG_SZ is not expanded", Value(kSz, Utf16(L"C:\\u.exe %ProgramFiles%", true)),
           L"C:\\u.exe %ProgramFiles%"),
      cannotStart("0 bytes: empty", Value(kSz, {})),
      cannotStart("2 bytes: the terminator alone", Value(kSz, {0, 0})),
      runs("odd byte count drops the odd byte",
           Value(kSz, Concat(Utf16(kShortProgram, false), {'x'})), kShortProgram),
      runs("510 bytes: 255 units, no terminator", Value(kSz, Utf16(a255, false)), a255),
      runs("510 bytes: 254 units and terminator", Value(kSz, Utf16(a254, true)), a254),
      runs("511 bytes: 255 units and an odd byte",
           Value(kSz, Concat(Utf16(a255, false), {'a'})), a255),
      runs("512 bytes: 255 units and terminator", Value(kSz, Utf16(a255, true)), a255),
      refused("512 bytes: 256 units, no terminator", Value(kSz, Utf16(a256, false))),
      refused("514 bytes: 256 units and terminator, more than the buffer",
              Value(kSz, Utf16(a256, true))),
      refused("success claiming more than the buffer holds", [&](FakePlatform& os) {
        os.SetUninstallString(kSz, Utf16(kCommand, true));
        os.claimedSize = 514;
      }),
      runs("REG_EXPAND_SZ is expanded",
           Value(kExpandSz, Utf16(L"\"%ProgramFiles%\\Tarvic\\uninst.exe\" /S", true)), kCommand),
      runs("REG_EXPAND_SZ expanding to 259 units", Value(kExpandSz, Utf16(L"%FILL%", true)),
           fill259),
      refused("REG_EXPAND_SZ expanding to 260 units", Value(kExpandSz, Utf16(L"%FILL%x", true))),
      refused("REG_EXPAND_SZ that cannot be expanded", [](FakePlatform& os) {
        os.SetUninstallString(kExpandSz, Utf16(L"%ProgramFiles%\\u.exe", true));
        os.expandFails = true;
      }),
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    FakePlatform os;
    os.SetEnvironment(L"ProgramFiles", L"C:\\Program Files");
    os.SetEnvironment(L"FILL", fill259);
    os.AddFile(kProgram);
    os.AddFile(kShortProgram);
    c.arrange(os);
    os.timeline = CleanUninstall();

    UninstallOld(os);

    ASSERT_EQ(c.starts ? 1u : 0u, os.starts.size())
        << (c.starts ? "expected the command to be started" : "expected nothing started");
    if (c.starts) {
      EXPECT_EQ(c.commandLine, os.starts[0].commandLine);
      EXPECT_FALSE(os.starts[0].applicationNull) << "expected the program named";
    }
    ASSERT_EQ(1u, os.messages.size()) << "expected one message; saw " << Describe(os.messages);
    EXPECT_EQ(c.message, os.messages[0].text);
    EXPECT_EQ(c.style, os.messages[0].type);
    EXPECT_TRUE(os.NothingLeftOpen());
  }
}

TEST(UninstallLookup, CommandLinesUpTo259UnitsAreStartedAndLongerOnesAreNot) {
  struct Case {
    size_t units;
    bool started;
  } cases[] = {{259, true}, {260, false}, {400, false}};
  for (const Case& c : cases) {
    SCOPED_TRACE(std::to_string(c.units) + " units");
    FakePlatform os;
    os.AddTarvicKey();
    os.AddFile(kShortProgram);
    os.timeline = CleanUninstall();
    const std::wstring commandLine = CommandOfLength(c.units);

    EXPECT_EQ(c.started, RunAndWait(os, commandLine.c_str()));

    ASSERT_EQ(c.started ? 1u : 0u, os.starts.size());
    if (c.started) {
      EXPECT_EQ(commandLine, os.starts[0].commandLine);
    }
    EXPECT_TRUE(os.NothingLeftOpen());
  }
}

TEST_F(Uninstall, EveryClickLooksTheEntryUpAfresh) {
  UninstallOld(os);
  os.SetUninstallString(kSz, Utf16(kCommand, true));
  os.timeline = CleanUninstall();
  UninstallOld(os);
  UninstallOld(os);

  ASSERT_EQ(3u, os.messages.size()) << Describe(os.messages);
  EXPECT_EQ(kNotInstalled, os.messages[0].text) << "before the entry existed";
  EXPECT_EQ(kDone, os.messages[1].text) << "with the entry registered";
  EXPECT_EQ(kNotInstalled, os.messages[2].text) << "after the uninstaller removed it";
  EXPECT_EQ(1u, os.starts.size());
}

// ---- the calls made, and their arguments

TEST_F(Uninstall, AsksWindowsWithTheAgreedArguments) {
  os.SetUninstallString(kSz, Utf16(kCommand, true));
  os.timeline = {Spawns(101), Ends(kUninstaller), RemovesKey()};

  UninstallOld(os);

  for (const auto& open : os.keyOpens) {
    SCOPED_TRACE(testing::PrintToString(open.path));
    EXPECT_TRUE(open.root == RegistryRoot::LocalMachine) << "expected HKEY_LOCAL_MACHINE";
    EXPECT_EQ(0u, open.options);
    if (open.path == FakePlatform::kTarvicKey)
      EXPECT_EQ(0x20019u, open.access) << "expected KEY_READ and no registry-view flag";
    else if (open.path == FakePlatform::kUninstallParent)
      EXPECT_EQ(0x10u, open.access) << "expected KEY_NOTIFY alone";
    else
      ADD_FAILURE() << "expected only the Tarvic key and its parent to be opened";
  }
  ASSERT_EQ(1u, os.queries.size());
  EXPECT_EQ(L"UninstallString", os.queries[0].name);
  EXPECT_EQ(512u, os.queries[0].offered) << "size offered to RegQueryValueExW, in bytes";

  ASSERT_EQ(1u, os.starts.size());
  const FakePlatform::Start& start = os.starts[0];
  EXPECT_EQ(kProgram, start.applicationName)
      << "expected the registered program named, for CreateProcessW not to look for one";
  EXPECT_EQ(kCommand, start.commandLine);
  EXPECT_TRUE(start.zeroFilledTo260) << "expected a zero-filled 260-unit command-line buffer";
  EXPECT_TRUE(start.inheritHandles);
  EXPECT_EQ(0x4u, start.creationFlags) << "expected CREATE_SUSPENDED and nothing else";
  EXPECT_TRUE(start.environmentNull) << "expected our environment to be inherited";
  EXPECT_TRUE(start.directoryNull) << "expected our current directory to be inherited";
  EXPECT_EQ(68u, start.startup.size) << "STARTUPINFOW.cb";
  EXPECT_EQ(0x101u, start.startup.flags) << "STARTF_USESHOWWINDOW | STARTF_USESTDHANDLES";
  EXPECT_EQ(1u, start.startup.showWindow) << "SW_SHOWNORMAL";
  EXPECT_EQ(kNoHandle, start.startup.stdInput);
  EXPECT_EQ(kNoHandle, start.startup.stdOutput);
  EXPECT_EQ(kNoHandle, start.startup.stdError);
  EXPECT_EQ(0u, start.handlesOpen) << "expected none of our handles open when the child "
                                      "inherits them (the key closed before the start)";

  // Into the job while suspended, then resumed, then waited for.
  const std::vector<std::string> order = {"StartProcess", "CreateJob", "AssignToJob",
                                          "ResumeThread", "Wait"};
  auto at = os.calls.begin();
  for (const std::string& call : order) {
    at = std::find(at, os.calls.end(), call);
    EXPECT_NE(os.calls.end(), at) << "expected " << call << " after the calls before it";
  }
  for (const auto& wait : os.waits)
    EXPECT_EQ(0x40u, wait.wakeMask) << "expected to wake for sent messages (QS_SENDMESSAGE) only";
  ExpectOnlyMessage(kDone, kStyleOk);
}

TEST(UninstallStart, AFailedStartIsReportedAndNothingIsWaitedFor) {
  struct Case {
    const char* what;
    Arrange arrange;
    bool terminated;
  } cases[] = {
      {"CreateProcessW fails", [](FakePlatform& os) { os.startFails = true; }, false},
      {"the suspended process cannot be resumed", [](FakePlatform& os) { os.resumeFails = true; },
       true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    FakePlatform os;
    os.SetUninstallString(kSz, Utf16(kCommand, true));
    os.AddFile(kProgram);
    c.arrange(os);

    UninstallOld(os);

    ASSERT_EQ(1u, os.messages.size()) << Describe(os.messages);
    EXPECT_EQ(kCannotStart, os.messages[0].text);
    EXPECT_EQ(kStyleError, os.messages[0].type);
    EXPECT_TRUE(os.waits.empty()) << "expected no wait; saw " << os.waits.size();
    EXPECT_EQ(c.terminated ? std::vector<uint32_t>{kUninstaller} : std::vector<uint32_t>{},
              os.terminated)
        << "a process left suspended must be ended, and nothing else";
    EXPECT_TRUE(os.NothingLeftOpen());
  }
}

TEST(UninstallStart, TheProgramFoundIsStartedWithTheRegisteredCommandLine) {
  const std::wstring msiExec = L"C:\\Windows\\system32\\MsiExec.exe";
  const std::wstring remove = L"MsiExec.exe /X{5C1D8E6A-0B7F-4C2E-9A31-7D4B2F6E8C10}";
  struct Case {
    const char* what;
    std::wstring commandLine;
    std::vector<std::wstring> files;
    std::wstring program;  // empty: none, so nothing is started
  } cases[] = {
      {"quoted", kCommand, {kProgram}, kProgram},
      {"unquoted with spaces", kProgram + L" /S", {L"C:\\Program.exe", kProgram}, kProgram},
      {"a bare name", remove, {L"C:\\Users\\u\\Downloads\\MsiExec.exe", msiExec}, msiExec},
      {"missing", kProgram + L" /S", {L"C:\\Program.exe"}, L""},
      {"relative", L"Tarvic\\uninst.exe /S", {L"C:\\Users\\u\\Downloads\\Tarvic\\uninst.exe"},
       L""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    FakePlatform os;
    os.SetUninstallString(kSz, Utf16(c.commandLine, true));
    for (const auto& file : c.files) os.AddFile(file);
    os.timeline = CleanUninstall();

    UninstallOld(os);

    ASSERT_EQ(1u, os.messages.size()) << Describe(os.messages);
    if (c.program.empty()) {
      EXPECT_EQ(0u, os.starts.size()) << "expected nothing started, nor anything else tried";
      EXPECT_EQ(kCannotStart, os.messages[0].text);
      EXPECT_EQ(kStyleError, os.messages[0].type);
    } else {
      ASSERT_EQ(1u, os.starts.size()) << "expected the program started once";
      EXPECT_EQ(c.program, os.starts[0].applicationName);
      EXPECT_EQ(c.commandLine, os.starts[0].commandLine)
          << "expected the registered command line, unchanged, for the uninstaller";
      EXPECT_EQ(kDone, os.messages[0].text);
    }
    EXPECT_TRUE(os.NothingLeftOpen());
  }
}

// ---- when the wait ends

TEST(UninstallWait, EndsWhenTheStartedProcessHasEndedAndThenTheJobIsEmptyOrTheKeyGone) {
  struct Case {
    const char* what;
    Arrange arrange;
    std::vector<Step> timeline;
    size_t endsAfterStep;  // the outcome shows right after this step
    bool done;             // "卸载成功" rather than "卸载未完成"
    bool polls;            // only where no event can tell
  };
  const Arrange none = [](FakePlatform&) {};
  const std::vector<Case> cases = {
      {"the uninstaller removes the key and exits", none, CleanUninstall(), 2, true, false},
      {"the key goes first; the started process still counts", none,
       {RemovesKey(), Spawns(101), Ends(kUninstaller), Ends(101)}, 3, true, false},
      {"a copy in a temporary folder finishes the job", none,
       {Spawns(101), Ends(kUninstaller), RemovesKey(), Ends(101)}, 3, true, false},
      {"a program left running does not hold the notice", none,
       {Spawns(101), Ends(kUninstaller), RemovesKey()}, 3, true, false},
      {"a key that can no longer be read is no success", none,
       {RefusesKey(), Ends(kUninstaller)}, 2, false, false},
      {"a cancelled copy leaves the key", none,
       {Spawns(101), Ends(kUninstaller), Ends(101)}, 3, false, false},
      {"processes started by the copy are followed", none,
       {Spawns(101), Ends(kUninstaller), Spawns(102), Ends(101), Ends(102)}, 5, false, false},
      {"other programs' entries coming and going do not end it", none,
       {Spawns(101), Ends(kUninstaller), ChangesUninstallList(), ChangesUninstallList(),
        RemovesKey()},
       5, true, false},
      {"no job can be had: the started process alone",
       [](FakePlatform& os) { os.assignFails = true; },
       {Spawns(101), Ends(kUninstaller), RemovesKey()}, 2, false, false},
      {"no job can be created: the started process alone",
       [](FakePlatform& os) { os.jobFails = true; },
       {Spawns(101), Ends(kUninstaller), RemovesKey()}, 2, false, false},
      {"the job cannot be queried: the started process alone",
       [](FakePlatform& os) { os.jobQueryFails = true; },
       {Spawns(101), Ends(kUninstaller), RemovesKey()}, 2, false, false},
      {"a process we may not open is looked for again shortly", none,
       {SpawnsUnopenable(101), Ends(kUninstaller), Ends(101)}, 3, false, true},
      {"a key we cannot watch is looked at again shortly",
       [](FakePlatform& os) { os.watchFails = true; },
       {Spawns(101), Ends(kUninstaller), RemovesKey()}, 3, true, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    FakePlatform os;
    os.SetUninstallString(kSz, Utf16(kCommand, true));
    os.AddFile(kProgram);
    c.arrange(os);
    os.timeline = c.timeline;

    UninstallOld(os);

    ASSERT_EQ(1u, os.messages.size()) << Describe(os.messages);
    EXPECT_EQ(c.endsAfterStep, os.messages[0].stepsDone)
        << "expected the outcome right after step " << c.endsAfterStep;
    EXPECT_EQ(c.done ? kDone : kNotDone, os.messages[0].text);
    EXPECT_EQ(c.done ? kStyleOk : kStyleExclamation, os.messages[0].type);
    EXPECT_EQ(c.polls, os.PolledAtAll())
        << (c.polls ? "expected a timed re-check" : "expected events alone to wake the wait");
    EXPECT_LE(os.LongestFinitePoll(), 50u) << "a re-check must come within 50 ms";
    EXPECT_TRUE(os.NothingLeftOpen());
  }
}

TEST_F(Uninstall, TheKeyWatchIsArmedBeforeEveryLookAtTheKey) {
  os.SetUninstallString(kSz, Utf16(kCommand, true));
  os.timeline = {Spawns(101), Ends(kUninstaller), ChangesUninstallList(), RemovesKey()};

  UninstallOld(os);

  // A removal between a look and the arming would otherwise wake nothing.
  size_t waitsAfterTheWatch = 0;
  bool armed = false, looked = false;
  for (const std::string& call : os.calls) {
    if (call == "NotifyKeyChange") armed = true, looked = false;
    if (call == "OpenKey" && armed) looked = true;
    if (call == "Wait" && armed) {
      ++waitsAfterTheWatch;
      EXPECT_TRUE(looked) << "expected the key looked at after arming and before wait "
                          << waitsAfterTheWatch;
      armed = false;
    }
  }
  EXPECT_EQ(2u, waitsAfterTheWatch) << "expected the watch armed again after it fired";
  ExpectOnlyMessage(kDone, kStyleOk);
}

TEST_F(Uninstall, MessagesSentWhileWaitingAreAnsweredAndNothingElseIsTaken) {
  os.SetUninstallString(kSz, Utf16(kCommand, true));
  os.timeline = {SendsMessage(), Spawns(101), Ends(kUninstaller), SendsMessage(), RemovesKey()};

  UninstallOld(os);

  EXPECT_EQ(2u, os.sentMessagesAnswered) << "one message sent in each part of the wait";
  ASSERT_FALSE(os.peeks.empty());
  for (uint32_t flags : os.peeks)
    EXPECT_EQ(0x400000u, flags) << "expected PM_NOREMOVE | PM_QS_SENDMESSAGE: posted input and "
                                   "painting stay queued";
  for (const auto& wait : os.waits) EXPECT_EQ(0x40u, wait.wakeMask) << "QS_SENDMESSAGE";
  ExpectOnlyMessage(kDone, kStyleOk);
  EXPECT_EQ(5u, os.messages[0].stepsDone);
}

TEST_F(Uninstall, MoreProcessesThanOneWaitHoldsAreAllWaitedFor) {
  os.SetUninstallString(kSz, Utf16(kCommand, true));
  const uint32_t kChildren = 70;
  for (uint32_t i = 0; i < kChildren; ++i) os.timeline.push_back(Spawns(101 + i));
  os.timeline.push_back(Ends(kUninstaller));
  for (uint32_t i = 0; i < kChildren; ++i) os.timeline.push_back(Ends(101 + i));

  UninstallOld(os);

  ExpectOnlyMessage(kNotDone, kStyleExclamation);
  EXPECT_EQ(os.timeline.size(), os.messages[0].stepsDone)
      << "expected the outcome only once the last child had ended";
  EXPECT_FALSE(os.PolledAtAll());
}

}  // namespace
