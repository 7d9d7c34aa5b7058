// The actions' platform bound to Windows: each call passes straight on to the
// Windows API function it stands for, but for ShellExecuteAsDesktopUser, a
// walk through Explorer's COM objects (win32_desktop_shell.cpp). It holds no
// state; make one per use.
#pragma once

#include "actions/platform.h"

class Win32Platform : public Platform {
 public:
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
};
