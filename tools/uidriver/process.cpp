#include "process.h"

#include <vector>

namespace uidriver {

namespace {
const DWORD kTerminateWaitMs = 5000;
}  // namespace

std::wstring LastErrorText(const wchar_t* why) {
  const DWORD code = ::GetLastError();
  wchar_t message[256] = L"";
  ::FormatMessageW(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, code, 0,
                   message, ARRAYSIZE(message), nullptr);
  return std::wstring(why) + L": error " + std::to_wstring(code) + L" " + message;
}

bool ChildProcess::Start(const std::wstring& commandLine, const std::wstring& workDir,
                         std::wstring* error) {
  Terminate();
  UniqueHandle job(::CreateJobObjectW(nullptr, nullptr));
  if (!job) {
    *error = LastErrorText(L"CreateJobObject");
    return false;
  }
  JOBOBJECT_EXTENDED_LIMIT_INFORMATION limits = {};
  limits.BasicLimitInformation.LimitFlags = JOB_OBJECT_LIMIT_KILL_ON_JOB_CLOSE;
  ::SetInformationJobObject(job.get(), JobObjectExtendedLimitInformation, &limits, sizeof limits);

  // CreateProcessW may write into the command line.
  std::vector<wchar_t> command(commandLine.begin(), commandLine.end());
  command.push_back(L'\0');
  STARTUPINFOW startup = {};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION created = {};
  // Suspended until it is in the job, so nothing it starts escapes.
  if (!::CreateProcessW(nullptr, command.data(), nullptr, nullptr, FALSE, CREATE_SUSPENDED,
                        nullptr, workDir.empty() ? nullptr : workDir.c_str(), &startup,
                        &created)) {
    *error = LastErrorText(L"CreateProcess");
    return false;
  }
  UniqueHandle process(created.hProcess);
  UniqueHandle thread(created.hThread);
  if (!::AssignProcessToJobObject(job.get(), process.get())) {
    *error = LastErrorText(L"AssignProcessToJobObject");
    ::TerminateProcess(process.get(), 1);
    return false;
  }
  ::ResumeThread(thread.get());
  job_ = std::move(job);
  process_ = std::move(process);
  id_ = created.dwProcessId;
  threadId_ = created.dwThreadId;
  return true;
}

bool ChildProcess::Running() const { return process_ && !WaitForExit(0); }

bool ChildProcess::WaitForExit(DWORD timeoutMs) const {
  return !process_ || ::WaitForSingleObject(process_.get(), timeoutMs) == WAIT_OBJECT_0;
}

DWORD ChildProcess::ExitCode() const {
  DWORD code = STILL_ACTIVE;
  if (process_) ::GetExitCodeProcess(process_.get(), &code);
  return code;
}

void ChildProcess::Terminate() {
  if (job_) ::TerminateJobObject(job_.get(), 1);
  if (process_) ::WaitForSingleObject(process_.get(), kTerminateWaitMs);
  process_.Reset();
  job_.Reset();
  id_ = 0;
  threadId_ = 0;
}

bool RunAndWait(const std::wstring& commandLine, DWORD timeoutMs, DWORD* exitCode,
                std::wstring* error) {
  ChildProcess child;
  if (!child.Start(commandLine, std::wstring(), error)) return false;
  if (!child.WaitForExit(timeoutMs)) {
    *error = L"still running after " + std::to_wstring(timeoutMs) + L" ms: " + commandLine;
    return false;
  }
  if (exitCode != nullptr) *exitCode = child.ExitCode();
  return true;
}

}  // namespace uidriver
