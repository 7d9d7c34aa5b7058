#include "tests/unit/fake_platform.h"

#include <algorithm>

#include "actions/win32_values.h"

namespace {

const long kErrorAccessDenied = 5;
const long kErrorInvalidHandle = 6;
const long kErrorMoreData = 234;
// Bytes a query leaves where the caller must not look.
const uint8_t kUndefinedByte = 0xAB;
const uint8_t kBeyondDataByte = 0xCD;

const uint32_t kFileAttributeArchive = 0x20;

// How Windows compares paths, near enough for the tests.
std::wstring Normalised(const std::wstring& path) {
  std::wstring normalised = path;
  for (wchar_t& unit : normalised) {
    if (unit == L'/') unit = L'\\';
    if (unit >= L'A' && unit <= L'Z') unit = static_cast<wchar_t>(unit - L'A' + L'a');
  }
  return normalised;
}

// A path Windows would resolve against the current folder or drive.
bool DependsOnCurrentFolder(const std::wstring& path) {
  const auto separator = [](wchar_t unit) { return unit == L'\\' || unit == L'/'; };
  if (path.size() >= 3 && path[1] == L':' && separator(path[2])) return false;
  return !(path.size() >= 2 && separator(path[0]) && separator(path[1]));
}

// What GetSystemDirectoryW, GetWindowsDirectoryW and GetEnvironmentVariableW
// return for `value`; an empty one stands for a failure.
uint32_t GiveText(const std::wstring& value, wchar_t* buffer, uint32_t size) {
  if (value.empty()) return 0;
  if (value.size() + 1 > size) {
    std::fill(buffer, buffer + size, L'Z');
    return static_cast<uint32_t>(value.size() + 1);
  }
  std::copy(value.begin(), value.end(), buffer);
  buffer[value.size()] = L'\0';
  return static_cast<uint32_t>(value.size());
}

const char* KindName(int kind) {
  static const char* const names[] = {"key", "process", "thread", "job", "event"};
  return names[kind];
}

}  // namespace

Step Ends(uint32_t pid) { return {Step::kEnds, pid}; }
Step Spawns(uint32_t pid) { return {Step::kSpawns, pid}; }
Step SpawnsUnopenable(uint32_t pid) { return {Step::kSpawnsUnopenable, pid}; }
Step RemovesKey() { return {Step::kRemovesKey, 0}; }
Step RefusesKey() { return {Step::kRefusesKey, 0}; }
Step ChangesUninstallList() { return {Step::kChangesUninstallList, 0}; }
Step SendsMessage() { return {Step::kSendsMessage, 0}; }

std::vector<uint8_t> Utf16(const std::wstring& text, bool terminated) {
  std::vector<uint8_t> bytes;
  for (wchar_t unit : text) {
    bytes.push_back(static_cast<uint8_t>(unit & 0xFF));
    bytes.push_back(static_cast<uint8_t>((unit >> 8) & 0xFF));
  }
  if (terminated) bytes.insert(bytes.end(), {0, 0});
  return bytes;
}

const wchar_t FakePlatform::kUninstallParent[] =
    L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall";
const wchar_t FakePlatform::kTarvicKey[] =
    L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Tarvic";

FakePlatform::FakePlatform() { registry_[kUninstallParent]; }

void FakePlatform::AddTarvicKey() { registry_[kTarvicKey]; }

void FakePlatform::RefuseTarvicKey() { registry_[kTarvicKey].refused = true; }

void FakePlatform::SetUninstallString(uint32_t type, const std::vector<uint8_t>& bytes) {
  registry_[kTarvicKey].values[L"UninstallString"] = {type, bytes};
}

void FakePlatform::SetEnvironment(const std::wstring& name, const std::wstring& value) {
  environment_[name] = value;
}

void FakePlatform::AddFile(const std::wstring& path) {
  files_[Normalised(path)] = kFileAttributeArchive;
}

void FakePlatform::AddFolder(const std::wstring& path) {
  files_[Normalised(path)] = kFileAttributeDirectory;
}

bool FakePlatform::PolledAtAll() const {
  return std::any_of(waits.begin(), waits.end(),
                     [](const Wait& wait) { return wait.milliseconds != kInfinite; });
}

uint32_t FakePlatform::LongestFinitePoll() const {
  uint32_t longest = 0;
  for (const Wait& wait : waits)
    if (wait.milliseconds != kInfinite) longest = std::max(longest, wait.milliseconds);
  return longest;
}

size_t FakePlatform::CallCount(const std::string& name) const {
  return std::count(calls.begin(), calls.end(), name);
}

testing::AssertionResult FakePlatform::NothingLeftOpen() const {
  if (open_.empty() && !sentMessagePending_) return testing::AssertionSuccess();
  testing::AssertionResult failure = testing::AssertionFailure();
  failure << "expected every handle closed and every sent message answered; still open:";
  for (const auto& [handle, object] : open_) {
    failure << " " << KindName(static_cast<int>(object.kind)) << " " << handle;
    if (object.kind == Kind::kKey) failure << " (" << testing::PrintToString(object.path) << ")";
  }
  if (sentMessagePending_) failure << "; a sent message is still unanswered";
  return failure;
}

Handle FakePlatform::Issue(Kind kind, const std::wstring& path, uint32_t pid) {
  const Handle handle = next_;
  next_ += 4;
  Object object{kind, path, pid};
  open_[handle] = object;
  return handle;
}

const FakePlatform::Object* FakePlatform::Find(Handle handle, Kind kind, const char* call) const {
  const auto found = open_.find(handle);
  if (found == open_.end() || found->second.kind != kind) {
    ADD_FAILURE() << call << " was given " << handle << ", which is not an open "
                  << KindName(static_cast<int>(kind));
    return nullptr;
  }
  return &found->second;
}

// ---- registry

long FakePlatform::OpenKey(RegistryRoot root, const wchar_t* subkey, uint32_t options,
                           uint32_t access, Handle* key) {
  calls.push_back("OpenKey");
  keyOpens.push_back({root, subkey, options, access});
  *key = kNoHandle;
  if (root != RegistryRoot::LocalMachine) return kErrorFileNotFound;
  const auto found = registry_.find(subkey);
  if (found == registry_.end()) return kErrorFileNotFound;
  if (found->second.refused) return kErrorAccessDenied;
  *key = Issue(Kind::kKey, subkey);
  return kErrorSuccess;
}

long FakePlatform::QueryValue(Handle key, const wchar_t* name, uint32_t* type, uint8_t* data,
                              uint32_t* size) {
  calls.push_back("QueryValue");
  queries.push_back({name, *size});
  const Object* object = Find(key, Kind::kKey, "QueryValue");
  if (object == nullptr) return kErrorInvalidHandle;
  const auto& values = registry_[object->path].values;
  const auto found = values.find(name);
  if (found == values.end()) return kErrorFileNotFound;
  const auto& [valueType, bytes] = found->second;
  const uint32_t offered = *size;
  *type = valueType;
  *size = static_cast<uint32_t>(bytes.size());
  if (bytes.size() > offered) {
    std::fill(data, data + offered, kUndefinedByte);
    return kErrorMoreData;
  }
  std::copy(bytes.begin(), bytes.end(), data);
  // The caller's buffer past the data is not the registry's to promise anything about.
  std::fill(data + bytes.size(), data + offered, kBeyondDataByte);
  if (claimedSize != 0) *size = claimedSize;
  return kErrorSuccess;
}

long FakePlatform::CloseKey(Handle key) {
  calls.push_back("CloseKey");
  if (Find(key, Kind::kKey, "CloseKey") == nullptr) return kErrorInvalidHandle;
  open_.erase(key);
  watches_.erase(std::remove_if(watches_.begin(), watches_.end(),
                                [key](const Watch& watch) { return watch.key == key; }),
                 watches_.end());
  return kErrorSuccess;
}

long FakePlatform::NotifyKeyChange(Handle key, bool watchSubtree, uint32_t filter, Handle event,
                                   bool asynchronous) {
  calls.push_back("NotifyKeyChange");
  if (Find(key, Kind::kKey, "NotifyKeyChange") == nullptr ||
      Find(event, Kind::kEvent, "NotifyKeyChange") == nullptr)
    return kErrorInvalidHandle;
  if (!asynchronous) ADD_FAILURE() << "a synchronous key notification blocks the UI thread";
  if (watchFails) return kErrorAccessDenied;
  // A direct subkey coming or going is a name change, with or without the subtree.
  (void)watchSubtree;
  if ((filter & kRegNotifyChangeName) != 0) watches_.push_back({key, event});
  return kErrorSuccess;
}

void FakePlatform::KeyListChanged(const std::wstring& parent) {
  std::vector<Watch> kept;
  for (const Watch& watch : watches_) {
    const auto key = open_.find(watch.key);
    const auto event = open_.find(watch.event);
    if (key != open_.end() && event != open_.end() && key->second.path == parent)
      event->second.signalled = true;
    else
      kept.push_back(watch);
  }
  watches_ = kept;
}

// ---- environment

uint32_t FakePlatform::ExpandEnvironment(const wchar_t* source, wchar_t* expanded,
                                         uint32_t size) {
  calls.push_back("ExpandEnvironment");
  if (expandFails) return 0;
  const std::wstring text = source;
  std::wstring result;
  for (size_t i = 0; i < text.size(); ++i) {
    const size_t close = text[i] == L'%' ? text.find(L'%', i + 1) : std::wstring::npos;
    const auto variable =
        close == std::wstring::npos ? environment_.end()
                                    : environment_.find(text.substr(i + 1, close - i - 1));
    if (variable == environment_.end()) {
      result += text[i];
      continue;
    }
    result += variable->second;
    i = close;
  }
  const uint32_t needed = static_cast<uint32_t>(result.size() + 1);
  if (needed <= size) {
    std::copy(result.begin(), result.end(), expanded);
    expanded[result.size()] = L'\0';
  } else {
    // What a too-small buffer holds afterwards is not to be relied on.
    std::fill(expanded, expanded + size, L'Z');
  }
  return needed;
}

// ---- files and folders

uint32_t FakePlatform::FileAttributes(const wchar_t* path) {
  calls.push_back("FileAttributes");
  attributeQueries.push_back(path);
  if (DependsOnCurrentFolder(path))
    ADD_FAILURE() << "GetFileAttributesW was asked about " << testing::PrintToString(path)
                  << ", which Windows looks for in the current folder";
  const auto found = files_.find(Normalised(path));
  return found == files_.end() ? kInvalidFileAttributes : found->second;
}

uint32_t FakePlatform::SystemDirectory(wchar_t* buffer, uint32_t size) {
  calls.push_back("SystemDirectory");
  return GiveText(systemDirectory, buffer, size);
}

uint32_t FakePlatform::WindowsDirectory(wchar_t* buffer, uint32_t size) {
  calls.push_back("WindowsDirectory");
  return GiveText(windowsDirectory, buffer, size);
}

uint32_t FakePlatform::EnvironmentVariable(const wchar_t* name, wchar_t* buffer,
                                           uint32_t size) {
  calls.push_back("EnvironmentVariable");
  const auto found = environment_.find(name);
  return GiveText(found == environment_.end() ? L"" : found->second, buffer, size);
}

// ---- processes

bool FakePlatform::StartProcess(const wchar_t* applicationName, wchar_t* commandLine,
                                bool inheritHandles, uint32_t creationFlags,
                                const void* environment, const wchar_t* currentDirectory,
                                const StartupInfo& startup, ProcessInfo* started) {
  calls.push_back("StartProcess");
  const size_t kUnits = 260;
  size_t length = 0;
  while (length < kUnits && commandLine[length] != L'\0') ++length;
  bool zeroFilled = length < kUnits;
  for (size_t i = length; i < kUnits; ++i) zeroFilled = zeroFilled && commandLine[i] == L'\0';
  starts.push_back({applicationName == nullptr, applicationName ? applicationName : L"",
                    std::wstring(commandLine, length), zeroFilled, inheritHandles,
                    creationFlags, environment == nullptr, currentDirectory == nullptr, startup,
                    open_.size()});
  // Windows starts nothing from an empty command line, nor a program that is not a file.
  if (startFails || length == 0) return false;
  if (applicationName != nullptr) {
    const auto program = files_.find(Normalised(applicationName));
    if (program == files_.end() || (program->second & kFileAttributeDirectory) != 0) return false;
  }
  processes_[kUninstallerPid] = Process{(creationFlags & kCreateSuspended) != 0};
  started->process = Issue(Kind::kProcess, L"", kUninstallerPid);
  started->thread = Issue(Kind::kThread, L"", kUninstallerPid);
  return true;
}

uint32_t FakePlatform::ResumeThread(Handle thread) {
  calls.push_back("ResumeThread");
  const Object* object = Find(thread, Kind::kThread, "ResumeThread");
  if (object == nullptr || resumeFails) return kResumeThreadFailed;
  processes_[object->pid].suspended = false;
  return 1;
}

bool FakePlatform::TerminateProcess(Handle process, uint32_t exitCode) {
  calls.push_back("TerminateProcess");
  const Object* object = Find(process, Kind::kProcess, "TerminateProcess");
  if (object == nullptr) return false;
  processes_[object->pid].ended = true;
  terminated.push_back(object->pid);
  (void)exitCode;
  return true;
}

Handle FakePlatform::OpenProcess(uint32_t access, bool inheritHandle, uint32_t processId) {
  calls.push_back("OpenProcess");
  if (inheritHandle) ADD_FAILURE() << "process " << processId << " opened inheritable";
  if ((access & kSynchronize) == 0)
    ADD_FAILURE() << "process " << processId << " opened without SYNCHRONIZE: it cannot be waited on";
  const auto found = processes_.find(processId);
  if (found == processes_.end() || found->second.ended || !found->second.openable)
    return kNoHandle;
  return Issue(Kind::kProcess, L"", processId);
}

bool FakePlatform::CloseHandle(Handle handle) {
  calls.push_back("CloseHandle");
  const auto found = open_.find(handle);
  if (found == open_.end()) {
    ADD_FAILURE() << "CloseHandle was given " << handle << ", which is not open";
    return false;
  }
  if (found->second.kind == Kind::kKey) {
    ADD_FAILURE() << "CloseHandle was given key " << handle << "; keys close with RegCloseKey";
    return false;
  }
  open_.erase(found);
  return true;
}

void FakePlatform::Spawn(uint32_t pid, bool openable) {
  Process child;
  child.openable = openable;
  child.job = processes_[kUninstallerPid].job;
  processes_[pid] = child;
}

// ---- jobs

Handle FakePlatform::CreateJob() {
  calls.push_back("CreateJob");
  return jobFails ? kNoHandle : Issue(Kind::kJob);
}

bool FakePlatform::AssignToJob(Handle job, Handle process) {
  calls.push_back("AssignToJob");
  const Object* object = Find(process, Kind::kProcess, "AssignToJob");
  if (Find(job, Kind::kJob, "AssignToJob") == nullptr || object == nullptr || assignFails)
    return false;
  processes_[object->pid].job = job;
  return true;
}

bool FakePlatform::QueryJobActiveProcesses(Handle job, uint32_t* active) {
  calls.push_back("QueryJobActiveProcesses");
  if (Find(job, Kind::kJob, "QueryJobActiveProcesses") == nullptr || jobQueryFails) return false;
  *active = static_cast<uint32_t>(
      std::count_if(processes_.begin(), processes_.end(), [job](const auto& entry) {
        return entry.second.job == job && !entry.second.ended;
      }));
  return true;
}

bool FakePlatform::QueryJobProcessIds(Handle job, uint32_t* ids, uint32_t capacity,
                                      uint32_t* count) {
  calls.push_back("QueryJobProcessIds");
  if (Find(job, Kind::kJob, "QueryJobProcessIds") == nullptr || jobQueryFails) return false;
  uint32_t filled = 0;
  for (const auto& [pid, process] : processes_)
    if (process.job == job && !process.ended && filled < capacity) ids[filled++] = pid;
  *count = filled;
  return true;
}

// ---- waiting

Handle FakePlatform::CreateAutoResetEvent() {
  calls.push_back("CreateAutoResetEvent");
  return Issue(Kind::kEvent);
}

bool FakePlatform::Signalled(Handle handle) {
  Object& object = open_[handle];
  if (object.kind == Kind::kProcess) return processes_[object.pid].ended;
  if (!object.signalled) return false;
  object.signalled = false;  // auto-reset: the wait that sees it takes it
  return true;
}

void FakePlatform::Apply(const Step& step) {
  switch (step.kind) {
    case Step::kEnds:
      if (processes_.count(step.pid) == 0) {
        ADD_FAILURE() << "the timeline ends process " << step.pid << ", which never started";
      } else if (processes_[step.pid].suspended) {
        ADD_FAILURE() << "process " << step.pid << " was never resumed, so it cannot end";
      } else {
        processes_[step.pid].ended = true;
      }
      break;
    case Step::kSpawns:
      Spawn(step.pid, true);
      break;
    case Step::kSpawnsUnopenable:
      Spawn(step.pid, false);
      break;
    case Step::kRemovesKey:
      registry_.erase(kTarvicKey);
      KeyListChanged(kUninstallParent);
      break;
    case Step::kRefusesKey:
      registry_[kTarvicKey].refused = true;
      break;
    case Step::kChangesUninstallList:
      registry_[std::wstring(kUninstallParent) + L"\\Other" + std::to_wstring(stepsDone)];
      KeyListChanged(kUninstallParent);
      break;
    case Step::kSendsMessage:
      sentMessagePending_ = true;
      break;
  }
}

uint32_t FakePlatform::WaitForObjectsOrMessage(uint32_t count, const Handle* handles,
                                               uint32_t milliseconds, uint32_t wakeMask) {
  calls.push_back("Wait");
  waits.push_back({count, milliseconds, wakeMask});
  if (count > kMaxWaitHandles) {
    ADD_FAILURE() << "waits on " << count << " handles; one wait takes at most "
                  << kMaxWaitHandles;
    return kWaitFailed;
  }
  for (uint32_t i = 0; i < count; ++i) {
    const auto found = open_.find(handles[i]);
    if (found == open_.end() ||
        (found->second.kind != Kind::kProcess && found->second.kind != Kind::kEvent)) {
      ADD_FAILURE() << "waits on " << handles[i] << ", which is not an open process or event";
      return kWaitFailed;
    }
    if (found->second.kind == Kind::kProcess && processes_[found->second.pid].suspended) {
      ADD_FAILURE() << "waits on process " << found->second.pid << ", which was never resumed";
      return kWaitFailed;
    }
  }
  if (sentMessagePending_) {
    ADD_FAILURE() << "waits again without answering the message sent to it";
    return kWaitFailed;
  }
  const bool finite = milliseconds != kInfinite;
  for (bool stepped = false;; stepped = true) {
    for (uint32_t i = 0; i < count; ++i)
      if (Signalled(handles[i])) return kWaitObject0 + i;
    if (sentMessagePending_ && (wakeMask & kQsSendMessage) != 0) return kWaitObject0 + count;
    if (finite && stepped) return kWaitTimeout;
    if (stepsDone == timeline.size()) {
      if (!finite) {
        ADD_FAILURE() << "waits for ever: nothing in the timeline is left to wake it ("
                      << count << " handles)";
        return kWaitFailed;
      }
      if (++pollsWithNothingLeft_ > 1000) {
        ADD_FAILURE() << "polls for ever: nothing in the timeline is left to change";
        return kWaitFailed;
      }
      return kWaitTimeout;
    }
    Apply(timeline[stepsDone++]);
  }
}

void FakePlatform::PeekMessages(uint32_t flags) {
  calls.push_back("PeekMessages");
  peeks.push_back(flags);
  // Any peek delivers the messages sent to the thread.
  if (sentMessagePending_) ++sentMessagesAnswered;
  sentMessagePending_ = false;
}

// ---- user interface

void FakePlatform::ShowMessage(const wchar_t* text, uint32_t type) {
  calls.push_back("ShowMessage");
  messages.push_back({text, type, stepsDone});
}

void FakePlatform::ShellExecuteVerb(Handle window, const wchar_t* verb, const wchar_t* file,
                                    const wchar_t* parameters, const wchar_t* directory,
                                    int show) {
  calls.push_back("ShellExecuteVerb");
  shellRequests.push_back({false, window, verb ? verb : L"(null)", file ? file : L"(null)",
                           parameters ? parameters : L"(null)", directory == nullptr, show});
}

bool FakePlatform::ShellExecuteAsDesktopUser(const wchar_t* verb, const wchar_t* file,
                                             const wchar_t* parameters, int show) {
  calls.push_back("ShellExecuteAsDesktopUser");
  if (!desktopShellAvailable) return false;
  shellRequests.push_back({true, kNoHandle, verb ? verb : L"(null)", file ? file : L"(null)",
                           parameters ? parameters : L"(null)", true, show});
  return true;
}
