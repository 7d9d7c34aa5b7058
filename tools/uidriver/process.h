// Programs under test: started in a job of their own, so that whatever they
// start goes with them, and waited for with a timeout.
#pragma once

#include <windows.h>

#include <string>

#include "owned.h"

namespace uidriver {

class ChildProcess {
 public:
  ChildProcess() = default;
  ~ChildProcess() { Terminate(); }
  ChildProcess(ChildProcess&&) = default;
  ChildProcess& operator=(ChildProcess&&) = default;

  // Starts `commandLine` in `workDir` (empty: ours) with our environment.
  // False, with the reason in `error`, when it cannot be started.
  bool Start(const std::wstring& commandLine, const std::wstring& workDir, std::wstring* error);

  DWORD id() const { return id_; }
  HANDLE handle() const { return process_.get(); }
  DWORD threadId() const { return threadId_; }

  bool Running() const;
  // True once the process has ended, false if it still runs after `timeoutMs`.
  bool WaitForExit(DWORD timeoutMs) const;
  DWORD ExitCode() const;

  // Ends the process and everything it started, and waits for them to go.
  void Terminate();

 private:
  UniqueHandle job_;
  UniqueHandle process_;
  DWORD id_ = 0;
  DWORD threadId_ = 0;
};

// Starts `commandLine` and waits for its end: false when it cannot be started
// or still runs after `timeoutMs` (then it is ended).
bool RunAndWait(const std::wstring& commandLine, DWORD timeoutMs, DWORD* exitCode,
                std::wstring* error);

// "why: <message of the last error>" for failure reports.
std::wstring LastErrorText(const wchar_t* why);

}  // namespace uidriver
