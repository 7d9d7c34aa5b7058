// The operating-system calls the actions make. Each stands for one Windows
// API call and takes that call's own arguments and values (win32_values.h),
// so the actions' logic builds and is tested without Windows; the exe binds
// it to Windows in win32_platform.cpp, tests to a recording fake.
#pragma once

#include <cstdint>

// A Windows handle, registry key or window, carried as an integer; 0 is none.
using Handle = uintptr_t;
const Handle kNoHandle = 0;

enum class RegistryRoot { LocalMachine };

// The STARTUPINFOW fields the actions set; the binding zeroes all others.
struct StartupInfo {
  uint32_t size;
  uint32_t flags;
  uint16_t showWindow;
  Handle stdInput, stdOutput, stdError;
};

struct ProcessInfo {
  Handle process;
  Handle thread;
};

class Platform {
 public:
  virtual ~Platform() = default;

  // RegOpenKeyExW, RegQueryValueExW, RegCloseKey, RegNotifyChangeKeyValue:
  // Windows error codes. A failed open leaves *key as kNoHandle.
  virtual long OpenKey(RegistryRoot root, const wchar_t* subkey, uint32_t options,
                       uint32_t access, Handle* key) = 0;
  virtual long QueryValue(Handle key, const wchar_t* name, uint32_t* type, uint8_t* data,
                          uint32_t* size) = 0;
  virtual long CloseKey(Handle key) = 0;
  virtual long NotifyKeyChange(Handle key, bool watchSubtree, uint32_t filter, Handle event,
                               bool asynchronous) = 0;

  // ExpandEnvironmentStringsW: sizes count characters, the terminator included.
  virtual uint32_t ExpandEnvironment(const wchar_t* source, wchar_t* expanded,
                                     uint32_t size) = 0;

  // GetFileAttributesW: the attributes, or kInvalidFileAttributes.
  virtual uint32_t FileAttributes(const wchar_t* path) = 0;
  // GetSystemDirectoryW, GetWindowsDirectoryW, GetEnvironmentVariableW: sizes
  // count characters. The length written, without its terminator, when it
  // fitted; the size needed, terminator included, when not; 0 when it failed
  // (or the variable is not set).
  virtual uint32_t SystemDirectory(wchar_t* buffer, uint32_t size) = 0;
  virtual uint32_t WindowsDirectory(wchar_t* buffer, uint32_t size) = 0;
  virtual uint32_t EnvironmentVariable(const wchar_t* name, wchar_t* buffer, uint32_t size) = 0;

  // CreateProcessW, with no security attributes: the handles it returns are
  // not inheritable.
  virtual bool StartProcess(const wchar_t* applicationName, wchar_t* commandLine,
                            bool inheritHandles, uint32_t creationFlags,
                            const void* environment, const wchar_t* currentDirectory,
                            const StartupInfo& startup, ProcessInfo* started) = 0;
  virtual uint32_t ResumeThread(Handle thread) = 0;
  virtual bool TerminateProcess(Handle process, uint32_t exitCode) = 0;
  // OpenProcess; kNoHandle when the process cannot be opened.
  virtual Handle OpenProcess(uint32_t access, bool inheritHandle, uint32_t processId) = 0;
  virtual bool CloseHandle(Handle handle) = 0;

  // CreateJobObjectW with no name and no security attributes, no limits set;
  // kNoHandle when it fails.
  virtual Handle CreateJob() = 0;
  virtual bool AssignToJob(Handle job, Handle process) = 0;
  // QueryInformationJobObject, JobObjectBasicAccountingInformation.ActiveProcesses.
  virtual bool QueryJobActiveProcesses(Handle job, uint32_t* active) = 0;
  // QueryInformationJobObject, JobObjectBasicProcessIdList: up to `capacity`
  // identifiers, *count of them filled; a longer list gives its first part.
  virtual bool QueryJobProcessIds(Handle job, uint32_t* ids, uint32_t capacity,
                                  uint32_t* count) = 0;

  // CreateEventW: unnamed, auto-reset, not signalled, not inheritable.
  virtual Handle CreateAutoResetEvent() = 0;

  // MsgWaitForMultipleObjects for any one of the handles; the raw result.
  virtual uint32_t WaitForObjectsOrMessage(uint32_t count, const Handle* handles,
                                           uint32_t milliseconds, uint32_t wakeMask) = 0;
  // PeekMessageW for any window and message, with these flags.
  virtual void PeekMessages(uint32_t flags) = 0;

  // AfxMessageBox: owned by the main window, captioned with the application name.
  virtual void ShowMessage(const wchar_t* text, uint32_t type) = 0;

  // ShellExecuteW; its result is not reported.
  virtual void ShellExecuteVerb(Handle window, const wchar_t* verb, const wchar_t* file,
                                const wchar_t* parameters, const wchar_t* directory,
                                int show) = 0;
  // The same request, with no owner and no directory, made by the signed-in
  // user's desktop shell (Explorer's IShellDispatch2::ShellExecute), so that
  // what it starts runs as that user, not as us. True once the request was
  // handed over, whatever came of it; false when the desktop shell could not
  // be reached, and then nothing was asked.
  virtual bool ShellExecuteAsDesktopUser(const wchar_t* verb, const wchar_t* file,
                                         const wchar_t* parameters, int show) = 0;
};
