#include "actions/uninstall_old.h"

#include <cstddef>

#include "actions/command_program.h"
#include "actions/owned_handle.h"
#include "actions/text_sizes.h"
#include "actions/uninstall_key.h"
#include "actions/uninstall_texts.h"
#include "actions/win32_values.h"
#include "framework/bounded_text.h"

namespace {

const size_t kKeyPathUnits = 260;
const uint32_t kValueBytes = 512;
// Room for the value's text and its terminator in kValueBytes: 255 units.
const size_t kValueTextUnits = kValueBytes / 2 - 1;

// Only where no event can tell us (a process we may not open, a key we cannot
// watch): short enough that the outcome shows promptly.
const uint32_t kPollMilliseconds = 50;
// One wait slot goes to the key watch.
const uint32_t kMaxProcessesWaited = kMaxWaitHandles - 1;
const uint32_t kNotResumedExitCode = 1;

// ---- the registry entry

long OpenUninstallKey(Platform& os, OwnedKey& key) {
  wchar_t path[kKeyPathUnits] = {};
  static_assert(sizeof(UNINSTALL_PARENT_KEY L"\\" TARVIC_UNINSTALL_ENTRY) / sizeof(wchar_t) <=
                    kKeyPathUnits,
                "the uninstall key's path fits its buffer");
  CopyText(path, kKeyPathUnits, UNINSTALL_PARENT_KEY L"\\");
  AppendText(path, kKeyPathUnits, TARVIC_UNINSTALL_ENTRY);
  return os.OpenKey(RegistryRoot::LocalMachine, path, 0, kKeyRead, key.Receive());
}

// Anything but a clear "not found" counts as still there: success is only
// reported when it happened.
bool UninstallKeyExists(Platform& os) {
  OwnedKey key(os);
  return OpenUninstallKey(os, key) != kErrorFileNotFound;
}

// The text of a string value from the bytes the registry returned, and no
// further: it ends at its first NUL, or after the last whole unit when it was
// stored without one. False when it is longer than kValueTextUnits.
bool TextFromValue(const uint8_t* data, uint32_t size, wchar_t (&text)[kValueTextUnits + 1]) {
  const uint32_t units = size / 2;
  for (uint32_t i = 0; i < units; ++i) {
    const wchar_t unit = static_cast<wchar_t>(data[2 * i] | data[2 * i + 1] << 8);
    if (unit == L'\0') {
      text[i] = L'\0';
      return true;
    }
    if (i == kValueTextUnits) return false;
    text[i] = unit;
  }
  text[units] = L'\0';
  return true;
}

bool ExpandIntoCommandLine(Platform& os, const wchar_t* text,
                           wchar_t (&commandLine)[kCommandLineUnits]) {
  const uint32_t needed = os.ExpandEnvironment(text, commandLine, kCommandLineUnits);
  if (needed == 0 || needed > kCommandLineUnits) {
    commandLine[0] = L'\0';
    return false;
  }
  // Trusted no further than the length it reported.
  commandLine[needed - 1] = L'\0';
  return true;
}

// The registered uninstall command; false when there is none we can use.
bool ReadUninstallCommand(Platform& os, wchar_t (&commandLine)[kCommandLineUnits]) {
  uint8_t data[kValueBytes] = {};
  uint32_t size = kValueBytes;
  uint32_t type = 0;
  {
    OwnedKey key(os);
    if (OpenUninstallKey(os, key) != kErrorSuccess) return false;
    if (os.QueryValue(key.get(), UNINSTALL_STRING_VALUE, &type, data, &size) != kErrorSuccess)
      return false;
  }
  if (size > kValueBytes) return false;
  if (type != kRegSz && type != kRegExpandSz) return false;

  wchar_t text[kValueTextUnits + 1] = {};
  if (!TextFromValue(data, size, text)) return false;
  if (type == kRegExpandSz) return ExpandIntoCommandLine(os, text, commandLine);
  return CopyText(commandLine, kCommandLineUnits, text);
}

// ---- starting

// The one place the uninstaller is started: the program we found, never one
// CreateProcessW would look for. Suspended, so that it is in its job before
// it can start anything of its own.
bool StartSuspended(Platform& os, const wchar_t* program, wchar_t* commandLine,
                    OwnedHandle& process, OwnedHandle& thread) {
  StartupInfo startup = {};
  startup.size = kStartupInfoSize;
  startup.flags = kStartfUseShowWindow | kStartfUseStdHandles;
  startup.showWindow = kSwShowNormal;
  // Standard handles stay null: the uninstaller gets none of ours.
  ProcessInfo started = {};
  if (!os.StartProcess(program, commandLine, true, kCreateSuspended, nullptr, nullptr, startup,
                       &started))
    return false;
  process.Reset(started.process);
  thread.Reset(started.thread);
  return true;
}

// ---- waiting

const uint32_t kWaitBroken = 0xFFFFFFFF;
const uint32_t kTimedOut = 0xFFFFFFFE;

// Waits for any one of the handles, answering meanwhile the messages other
// threads and processes send us (an uninstaller broadcasting a settings change
// would otherwise hang). Posted input and painting are left queued. Returns
// the index of the signalled handle, kTimedOut or kWaitBroken.
uint32_t WaitAnsweringSentMessages(Platform& os, const Handle* handles, uint32_t count,
                                   uint32_t milliseconds) {
  for (;;) {
    const uint32_t result =
        os.WaitForObjectsOrMessage(count, handles, milliseconds, kQsSendMessage);
    if (result - kWaitObject0 < count) return result - kWaitObject0;
    if (result == kWaitObject0 + count) {
      os.PeekMessages(kPmNoRemove | kPmQsSendMessage);
      continue;
    }
    return result == kWaitTimeout ? kTimedOut : kWaitBroken;
  }
}

// Wakes the wait when a subkey of the Uninstall key comes or goes, so the
// removal of ours is seen at once. Inactive when the key or event cannot be had.
class UninstallKeyWatch {
 public:
  explicit UninstallKeyWatch(Platform& os)
      : os_(os), key_(os), event_(os, os.CreateAutoResetEvent()) {
    if (event_.get() != kNoHandle)
      os_.OpenKey(RegistryRoot::LocalMachine, UNINSTALL_PARENT_KEY, 0, kKeyNotify,
                  key_.Receive());
  }

  // Asks for the next change unless a request is already outstanding; false
  // when changes cannot be watched.
  bool Arm() {
    if (armed_) return true;
    if (key_.get() == kNoHandle) return false;
    armed_ = os_.NotifyKeyChange(key_.get(), false, kRegNotifyChangeName, event_.get(), true) ==
             kErrorSuccess;
    return armed_;
  }

  Handle event() const { return event_.get(); }
  // The event woke a wait; the request is spent.
  void Fired() { armed_ = false; }

 private:
  Platform& os_;
  OwnedKey key_;
  OwnedHandle event_;
  bool armed_ = false;
};

// What one wait waits for: the key watch's event, unowned, then the job's
// processes, owned.
class WaitList {
 public:
  explicit WaitList(Platform& os) : os_(os) {}
  ~WaitList() {
    for (uint32_t i = ownedFrom_; i < count_; ++i) os_.CloseHandle(handles_[i]);
  }
  WaitList(const WaitList&) = delete;
  WaitList& operator=(const WaitList&) = delete;

  void AddEvent(Handle event) {
    if (count_ != ownedFrom_ || count_ == kMaxWaitHandles) return;
    handles_[count_++] = event;
    ownedFrom_ = count_;
  }

  void AddJobProcesses(Handle job) {
    uint32_t ids[kMaxProcessesWaited] = {};
    uint32_t listed = 0;
    const uint32_t room = kMaxWaitHandles - count_;
    const uint32_t asked = room < kMaxProcessesWaited ? room : kMaxProcessesWaited;
    if (!os_.QueryJobProcessIds(job, ids, asked, &listed)) return;
    if (listed > asked) listed = asked;
    for (uint32_t i = 0; i < listed; ++i) {
      const Handle process = os_.OpenProcess(kSynchronize, false, ids[i]);
      if (process != kNoHandle) handles_[count_++] = process;
    }
  }

  const Handle* handles() const { return handles_; }
  uint32_t count() const { return count_; }
  uint32_t processes() const { return count_ - ownedFrom_; }

 private:
  Platform& os_;
  Handle handles_[kMaxWaitHandles] = {};
  uint32_t count_ = 0;
  uint32_t ownedFrom_ = 0;
};

// No process of the job is left, the uninstall key is gone, or the job cannot
// tell us any more (then the started process, already ended, is all we follow).
bool JobEmptyOrKeyGone(Platform& os, Handle job) {
  uint32_t active = 0;
  if (!os.QueryJobActiveProcesses(job, &active) || active == 0) return true;
  return !UninstallKeyExists(os);
}

// After the started process: until the job is empty or the uninstall key is
// gone, whichever comes first. Every wake-up looks again at both, since a
// job's notifications are not to be relied on.
void WaitForJobOrKeyRemoval(Platform& os, Handle job) {
  if (JobEmptyOrKeyGone(os, job)) return;
  UninstallKeyWatch watch(os);
  for (;;) {
    // Armed before looking, so a removal right after the look still wakes us.
    const bool watching = watch.Arm();
    if (JobEmptyOrKeyGone(os, job)) return;

    WaitList list(os);
    if (watching) list.AddEvent(watch.event());
    // Any one of them ending wakes us to look again: the last one's end
    // cannot slip by, even when more are running than one wait can hold.
    list.AddJobProcesses(job);
    const bool eventsSuffice = watching && list.processes() > 0;
    const uint32_t woken = WaitAnsweringSentMessages(
        os, list.handles(), list.count(), eventsSuffice ? kInfinite : kPollMilliseconds);
    if (woken == kWaitBroken) return;
    if (watching && woken == 0) watch.Fired();
  }
}

void WaitForUninstallEnd(Platform& os, Handle process, Handle job) {
  const Handle started[] = {process};
  if (WaitAnsweringSentMessages(os, started, 1, kInfinite) != 0) return;
  // Without a job the started process is all we can follow.
  if (job == kNoHandle) return;
  WaitForJobOrKeyRemoval(os, job);
}

}  // namespace

bool RunAndWait(Platform& os, const wchar_t* commandLine) {
  wchar_t writable[kCommandLineUnits] = {};
  if (!CopyText(writable, kCommandLineUnits, commandLine)) return false;
  wchar_t program[kPathUnits] = {};
  if (!FindProgram(os, writable, program)) return false;

  OwnedHandle process(os), thread(os);
  if (!StartSuspended(os, program, writable, process, thread)) return false;

  // No kill-on-close: should we die, the uninstaller carries on. Where our
  // own job forbids a nested one, the process handle is all we follow.
  OwnedHandle job(os, os.CreateJob());
  if (job.get() != kNoHandle && !os.AssignToJob(job.get(), process.get())) job.Close();

  if (os.ResumeThread(thread.get()) == kResumeThreadFailed) {
    // Left suspended it would hold the notice for ever.
    os.TerminateProcess(process.get(), kNotResumedExitCode);
    return false;
  }
  thread.Close();

  WaitForUninstallEnd(os, process.get(), job.get());
  return true;
}

void UninstallOld(Platform& os) {
  wchar_t commandLine[kCommandLineUnits] = {};
  if (!ReadUninstallCommand(os, commandLine)) {
    os.ShowMessage(UNINSTALL_TEXT_NOT_INSTALLED, kMbIconError);
    return;
  }
  if (!RunAndWait(os, commandLine)) {
    os.ShowMessage(UNINSTALL_TEXT_CANNOT_START, kMbIconError);
    return;
  }
  if (UninstallKeyExists(os))
    os.ShowMessage(UNINSTALL_TEXT_NOT_DONE, kMbIconExclamation);
  else
    os.ShowMessage(UNINSTALL_TEXT_DONE, kMbOk);
}
