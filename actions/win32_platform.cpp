#include "actions/win32_platform.h"

#include <windows.h>
#include <shellapi.h>

#include <cstddef>

#include "actions/text_sizes.h"
#include "actions/win32_values.h"
#include "framework/message_box.h"

static_assert(kErrorSuccess == ERROR_SUCCESS && kErrorFileNotFound == ERROR_FILE_NOT_FOUND, "");
static_assert(kKeyRead == KEY_READ && kKeyNotify == KEY_NOTIFY, "");
static_assert(kRegSz == REG_SZ && kRegExpandSz == REG_EXPAND_SZ, "");
static_assert(kRegNotifyChangeName == REG_NOTIFY_CHANGE_NAME, "");
static_assert(kInvalidFileAttributes == INVALID_FILE_ATTRIBUTES, "");
static_assert(kFileAttributeDirectory == FILE_ATTRIBUTE_DIRECTORY, "");
static_assert(kPathUnits == MAX_PATH, "");
static_assert(kStartupInfoSize == sizeof(STARTUPINFOW), "");
static_assert(kStartfUseShowWindow == STARTF_USESHOWWINDOW, "");
static_assert(kStartfUseStdHandles == STARTF_USESTDHANDLES, "");
static_assert(kSwShowNormal == SW_SHOWNORMAL, "");
static_assert(kCreateSuspended == CREATE_SUSPENDED, "");
static_assert(kResumeThreadFailed == static_cast<DWORD>(-1), "");
static_assert(kSynchronize == SYNCHRONIZE, "");
static_assert(kWaitObject0 == WAIT_OBJECT_0 && kWaitTimeout == WAIT_TIMEOUT, "");
static_assert(kWaitFailed == WAIT_FAILED && kInfinite == INFINITE, "");
static_assert(kMaxWaitHandles == MAXIMUM_WAIT_OBJECTS - 1, "");
static_assert(kQsSendMessage == QS_SENDMESSAGE, "");
static_assert(kPmNoRemove == PM_NOREMOVE && kPmQsSendMessage == PM_QS_SENDMESSAGE, "");
static_assert(kMbOk == MB_OK && kMbIconError == MB_ICONERROR, "");
static_assert(kMbIconExclamation == MB_ICONEXCLAMATION, "");
static_assert(sizeof(Handle) == sizeof(HANDLE), "");

namespace {

HANDLE AsHandle(Handle handle) { return reinterpret_cast<HANDLE>(handle); }
HKEY AsKey(Handle key) { return reinterpret_cast<HKEY>(key); }
Handle FromHandle(HANDLE handle) { return reinterpret_cast<Handle>(handle); }

HKEY RootKey(RegistryRoot root) {
  switch (root) {
    case RegistryRoot::LocalMachine:
      return HKEY_LOCAL_MACHINE;
  }
  return nullptr;
}

// JOBOBJECT_BASIC_PROCESS_ID_LIST with room for a whole wait's worth of ids.
struct ProcessIdList {
  DWORD assigned;
  DWORD listed;
  ULONG_PTR ids[kMaxWaitHandles];
};
static_assert(offsetof(ProcessIdList, ids) ==
                  offsetof(JOBOBJECT_BASIC_PROCESS_ID_LIST, ProcessIdList),
              "the id list has the system's layout");

}  // namespace

long Win32Platform::OpenKey(RegistryRoot root, const wchar_t* subkey, uint32_t options,
                            uint32_t access, Handle* key) {
  HKEY opened = nullptr;
  const LONG status = ::RegOpenKeyExW(RootKey(root), subkey, options, access, &opened);
  *key = status == ERROR_SUCCESS ? reinterpret_cast<Handle>(opened) : kNoHandle;
  return status;
}

long Win32Platform::QueryValue(Handle key, const wchar_t* name, uint32_t* type, uint8_t* data,
                               uint32_t* size) {
  DWORD valueType = 0;
  DWORD valueSize = *size;
  const LONG status = ::RegQueryValueExW(AsKey(key), name, nullptr, &valueType, data, &valueSize);
  *type = valueType;
  *size = valueSize;
  return status;
}

long Win32Platform::CloseKey(Handle key) { return ::RegCloseKey(AsKey(key)); }

long Win32Platform::NotifyKeyChange(Handle key, bool watchSubtree, uint32_t filter,
                                    Handle event, bool asynchronous) {
  return ::RegNotifyChangeKeyValue(AsKey(key), watchSubtree, filter, AsHandle(event),
                                   asynchronous);
}

uint32_t Win32Platform::ExpandEnvironment(const wchar_t* source, wchar_t* expanded,
                                          uint32_t size) {
  return ::ExpandEnvironmentStringsW(source, expanded, size);
}

uint32_t Win32Platform::FileAttributes(const wchar_t* path) {
  return ::GetFileAttributesW(path);
}

uint32_t Win32Platform::SystemDirectory(wchar_t* buffer, uint32_t size) {
  return ::GetSystemDirectoryW(buffer, size);
}

uint32_t Win32Platform::WindowsDirectory(wchar_t* buffer, uint32_t size) {
  return ::GetWindowsDirectoryW(buffer, size);
}

uint32_t Win32Platform::EnvironmentVariable(const wchar_t* name, wchar_t* buffer,
                                            uint32_t size) {
  return ::GetEnvironmentVariableW(name, buffer, size);
}

bool Win32Platform::StartProcess(const wchar_t* applicationName, wchar_t* commandLine,
                                 bool inheritHandles, uint32_t creationFlags,
                                 const void* environment, const wchar_t* currentDirectory,
                                 const StartupInfo& startup, ProcessInfo* started) {
  STARTUPINFOW info = {};
  info.cb = startup.size;
  info.dwFlags = startup.flags;
  info.wShowWindow = startup.showWindow;
  info.hStdInput = AsHandle(startup.stdInput);
  info.hStdOutput = AsHandle(startup.stdOutput);
  info.hStdError = AsHandle(startup.stdError);
  PROCESS_INFORMATION process = {};
  if (!::CreateProcessW(applicationName, commandLine, nullptr, nullptr, inheritHandles,
                        creationFlags, const_cast<void*>(environment), currentDirectory, &info,
                        &process))
    return false;
  started->process = FromHandle(process.hProcess);
  started->thread = FromHandle(process.hThread);
  return true;
}

uint32_t Win32Platform::ResumeThread(Handle thread) { return ::ResumeThread(AsHandle(thread)); }

bool Win32Platform::TerminateProcess(Handle process, uint32_t exitCode) {
  return ::TerminateProcess(AsHandle(process), exitCode) != FALSE;
}

Handle Win32Platform::OpenProcess(uint32_t access, bool inheritHandle, uint32_t processId) {
  return FromHandle(::OpenProcess(access, inheritHandle, processId));
}

bool Win32Platform::CloseHandle(Handle handle) { return ::CloseHandle(AsHandle(handle)) != FALSE; }

Handle Win32Platform::CreateJob() { return FromHandle(::CreateJobObjectW(nullptr, nullptr)); }

bool Win32Platform::AssignToJob(Handle job, Handle process) {
  return ::AssignProcessToJobObject(AsHandle(job), AsHandle(process)) != FALSE;
}

bool Win32Platform::QueryJobActiveProcesses(Handle job, uint32_t* active) {
  JOBOBJECT_BASIC_ACCOUNTING_INFORMATION info = {};
  if (!::QueryInformationJobObject(AsHandle(job), JobObjectBasicAccountingInformation, &info,
                                   sizeof info, nullptr))
    return false;
  *active = info.ActiveProcesses;
  return true;
}

bool Win32Platform::QueryJobProcessIds(Handle job, uint32_t* ids, uint32_t capacity,
                                       uint32_t* count) {
  ProcessIdList list = {};
  // A list too long for the buffer still fills it, with ERROR_MORE_DATA.
  if (!::QueryInformationJobObject(AsHandle(job), JobObjectBasicProcessIdList, &list,
                                   sizeof list, nullptr) &&
      ::GetLastError() != ERROR_MORE_DATA)
    return false;
  uint32_t filled = list.listed;
  if (filled > kMaxWaitHandles) filled = kMaxWaitHandles;
  if (filled > capacity) filled = capacity;
  for (uint32_t i = 0; i < filled; ++i) ids[i] = static_cast<uint32_t>(list.ids[i]);
  *count = filled;
  return true;
}

Handle Win32Platform::CreateAutoResetEvent() {
  return FromHandle(::CreateEventW(nullptr, FALSE, FALSE, nullptr));
}

uint32_t Win32Platform::WaitForObjectsOrMessage(uint32_t count, const Handle* handles,
                                                uint32_t milliseconds, uint32_t wakeMask) {
  HANDLE waited[kMaxWaitHandles];
  if (count > kMaxWaitHandles) return WAIT_FAILED;
  for (uint32_t i = 0; i < count; ++i) waited[i] = AsHandle(handles[i]);
  return ::MsgWaitForMultipleObjects(count, waited, FALSE, milliseconds, wakeMask);
}

void Win32Platform::PeekMessages(uint32_t flags) {
  MSG message;
  ::PeekMessageW(&message, nullptr, 0, 0, flags);
}

void Win32Platform::ShowMessage(const wchar_t* text, uint32_t type) { AfxMessageBox(text, type); }

void Win32Platform::ShellExecuteVerb(Handle window, const wchar_t* verb, const wchar_t* file,
                                     const wchar_t* parameters, const wchar_t* directory,
                                     int show) {
  ::ShellExecuteW(reinterpret_cast<HWND>(window), verb, file, parameters, directory, show);
}
