// A recording stand-in for Windows under the actions: a small registry, an
// environment, files and folders, processes that a test's timeline makes run and end, jobs,
// events and a queue of sent messages. Every handle it gives out is tracked;
// misuse (a handle closed twice or by the wrong call, a wait that could never
// end, a sent message left unanswered, a suspended process never resumed, a
// file looked up by a path that depends on the current folder) fails the test
// where it happens.
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "actions/platform.h"

// What happens while the program waits, one step per wake-up chance.
struct Step {
  enum Kind {
    kEnds,                 // process `pid` exits
    kSpawns,               // a child of the uninstaller starts as `pid`, in its job if it has one
    kSpawnsUnopenable,     // the same, but OpenProcess refuses it
    kRemovesKey,           // the Tarvic uninstall key is deleted
    kRefusesKey,           // the Tarvic uninstall key stays, but may no longer be read
    kChangesUninstallList, // another program's uninstall entry is added
    kSendsMessage,         // another process sends us a message and waits for the answer
  };
  Kind kind;
  uint32_t pid;
};
Step Ends(uint32_t pid);
Step Spawns(uint32_t pid);
Step SpawnsUnopenable(uint32_t pid);
Step RemovesKey();
Step RefusesKey();
Step ChangesUninstallList();
Step SendsMessage();

// Registry value types beyond the two the actions read.
const uint32_t kRegBinary = 3;
const uint32_t kRegDword = 4;
const uint32_t kRegMultiSz = 7;

// UTF-16LE bytes of `text`, with a terminator when asked.
std::vector<uint8_t> Utf16(const std::wstring& text, bool terminated);

class FakePlatform : public Platform {
 public:
  static const wchar_t kUninstallParent[];
  static const wchar_t kTarvicKey[];
  static constexpr uint32_t kUninstallerPid = 100;

  FakePlatform();

  // ---- the world
  void AddTarvicKey();
  void RefuseTarvicKey();
  void SetUninstallString(uint32_t type, const std::vector<uint8_t>& bytes);
  void SetEnvironment(const std::wstring& name, const std::wstring& value);
  // Paths match as on Windows: letter case aside, / and \ alike.
  void AddFile(const std::wstring& path);
  void AddFolder(const std::wstring& path);
  // What GetSystemDirectoryW and GetWindowsDirectoryW give; empty: they fail.
  std::wstring systemDirectory = L"C:\\Windows\\system32";
  std::wstring windowsDirectory = L"C:\\Windows";
  std::vector<Step> timeline;
  bool startFails = false, jobFails = false, assignFails = false, resumeFails = false;
  bool jobQueryFails = false, watchFails = false, expandFails = false;
  // Whether the user's desktop shell can be reached.
  bool desktopShellAvailable = true;
  // When set, a successful query reports this size instead of the bytes written.
  uint32_t claimedSize = 0;

  // ---- what the program did
  struct KeyOpen {
    RegistryRoot root;
    std::wstring path;
    uint32_t options, access;
  };
  struct Query {
    std::wstring name;
    uint32_t offered;
  };
  struct Start {
    bool applicationNull;
    std::wstring applicationName;
    std::wstring commandLine;
    bool zeroFilledTo260;
    bool inheritHandles;
    uint32_t creationFlags;
    bool environmentNull, directoryNull;
    StartupInfo startup;
    size_t handlesOpen;  // of ours, at that moment
  };
  struct Wait {
    uint32_t count, milliseconds, wakeMask;
  };
  struct Message {
    std::wstring text;
    uint32_t type;
    size_t stepsDone;  // how much of the timeline had happened when it showed
  };
  struct ShellRequest {
    bool byDesktopShell;  // rather than by ShellExecuteW
    Handle window;
    std::wstring verb, file, parameters;
    bool directoryNull;
    int show;
  };
  std::vector<std::string> calls;  // names of the platform calls, in order
  std::vector<KeyOpen> keyOpens;
  std::vector<Query> queries;
  std::vector<std::wstring> attributeQueries;  // paths given to GetFileAttributesW
  std::vector<Start> starts;
  std::vector<Wait> waits;
  std::vector<uint32_t> peeks;
  std::vector<uint32_t> terminated;
  std::vector<Message> messages;
  std::vector<ShellRequest> shellRequests;  // requests made, by either route
  size_t stepsDone = 0;
  uint32_t sentMessagesAnswered = 0;
  bool PolledAtAll() const;
  uint32_t LongestFinitePoll() const;
  size_t CallCount(const std::string& name) const;

  // Everything it handed out was closed, and no sent message waits for an answer.
  testing::AssertionResult NothingLeftOpen() const;

  // ---- Platform
  long OpenKey(RegistryRoot root, const wchar_t* subkey, uint32_t options, uint32_t access,
               Handle* key) override;
  long QueryValue(Handle key, const wchar_t* name, uint32_t* type, uint8_t* data,
                  uint32_t* size) override;
  long CloseKey(Handle key) override;
  long NotifyKeyChange(Handle key, bool watchSubtree, uint32_t filter, Handle event,
                       bool asynchronous) override;
  uint32_t ExpandEnvironment(const wchar_t* source, wchar_t* expanded, uint32_t size) override;
  uint32_t FileAttributes(const wchar_t* path) override;
  uint32_t SystemDirectory(wchar_t* buffer, uint32_t size) override;
  uint32_t WindowsDirectory(wchar_t* buffer, uint32_t size) override;
  uint32_t EnvironmentVariable(const wchar_t* name, wchar_t* buffer, uint32_t size) override;
  bool StartProcess(const wchar_t* applicationName, wchar_t* commandLine, bool inheritHandles,
                    uint32_t creationFlags, const void* environment,
                    const wchar_t* currentDirectory, const StartupInfo& startup,
                    ProcessInfo* started) override;
  uint32_t ResumeThread(Handle thread) override;
  bool TerminateProcess(Handle process, uint32_t exitCode) override;
  Handle OpenProcess(uint32_t access, bool inheritHandle, uint32_t processId) override;
  bool CloseHandle(Handle handle) override;
  Handle CreateJob() override;
  bool AssignToJob(Handle job, Handle process) override;
  bool QueryJobActiveProcesses(Handle job, uint32_t* active) override;
  bool QueryJobProcessIds(Handle job, uint32_t* ids, uint32_t capacity,
                          uint32_t* count) override;
  Handle CreateAutoResetEvent() override;
  uint32_t WaitForObjectsOrMessage(uint32_t count, const Handle* handles, uint32_t milliseconds,
                                   uint32_t wakeMask) override;
  void PeekMessages(uint32_t flags) override;
  void ShowMessage(const wchar_t* text, uint32_t type) override;
  void ShellExecuteVerb(Handle window, const wchar_t* verb, const wchar_t* file,
                        const wchar_t* parameters, const wchar_t* directory, int show) override;
  bool ShellExecuteAsDesktopUser(const wchar_t* verb, const wchar_t* file,
                                 const wchar_t* parameters, int show) override;

 private:
  enum class Kind { kKey, kProcess, kThread, kJob, kEvent };
  struct Object {
    Kind kind;
    std::wstring path;  // of a key
    uint32_t pid = 0;   // of a process or thread
    bool signalled = false;  // of an event
  };
  struct FakeKey {
    bool refused = false;
    std::map<std::wstring, std::pair<uint32_t, std::vector<uint8_t>>> values;
  };
  struct Process {
    bool suspended = false, ended = false, openable = true;
    Handle job = kNoHandle;
  };
  struct Watch {
    Handle key, event;
  };

  Handle Issue(Kind kind, const std::wstring& path = L"", uint32_t pid = 0);
  const Object* Find(Handle handle, Kind kind, const char* call) const;
  bool Close(Handle handle, Kind kind, const char* call);
  void Apply(const Step& step);
  void KeyListChanged(const std::wstring& parent);
  void Spawn(uint32_t pid, bool openable);
  bool Signalled(Handle handle);

  std::map<std::wstring, FakeKey> registry_;
  std::map<std::wstring, std::wstring> environment_;
  std::map<std::wstring, uint32_t> files_;  // by normalised path: attributes
  std::map<uint32_t, Process> processes_;
  std::map<Handle, Object> open_;
  std::vector<Watch> watches_;
  Handle next_ = 0x40;
  bool sentMessagePending_ = false;
  uint32_t pollsWithNothingLeft_ = 0;
};
