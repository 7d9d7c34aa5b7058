// What every end-to-end test needs: where things are, a folder of its own in
// the Wine prefix, and the program copied there and started.
//
// Use:
//  1. TestFolder folder;  (C:\e2e\<suite>\<test>, emptied)
//  2. Notice notice; notice.Start(folder) (or Start(folder, L"Other.exe")).
//  3. Drive notice.window() through the uidriver functions; the notice and
//     whatever it started are ended when `notice` goes out of scope.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "process.h"

namespace e2e {

// Waits, generous for Wine under an emulator but short enough to keep a
// failing run quick.
const DWORD kAppearTimeoutMs = 20000;
const DWORD kExitTimeoutMs = 10000;
const DWORD kReactTimeoutMs = 10000;

// Paths that the run script hands over in the environment.
struct Paths {
  std::wstring app;        // E2E_APP: the built TarvicUpdateHelper.exe
  std::wstring tools;      // E2E_TOOLS: folder of uidriver's uiprobe.dll
  std::wstring fixtures;   // E2E_FIXTURES: folder of the fixture DLLs
  std::wstring artefacts;  // E2E_ARTEFACTS: where screenshots go
  std::wstring work;       // E2E_WORK: root of the per-test folders
};
const Paths& GetPaths();

// The driver's probe DLL, for uidriver::RemoteProbe::Attach.
std::wstring ProbeDll();

// "0x" and `digits` upper-case hex digits, for values in failure messages.
std::wstring Hex(unsigned long value, int digits = 8);

// Lower case, for comparing Windows paths and names.
std::wstring Lower(std::wstring text);

std::wstring Environment(const wchar_t* name);
std::wstring JoinPath(const std::wstring& folder, const std::wstring& name);
bool FileExists(const std::wstring& path);
// The whole file, at most 1 MiB of it; empty when it cannot be read.
std::string ReadFileBytes(const std::wstring& path);
std::wstring FromUtf8(const std::string& text);
std::string ToUtf8(const std::wstring& text);

// Sets an environment variable of this process, which the programs we start
// inherit, and puts the old value back when it goes.
class ScopedEnvironment {
 public:
  ScopedEnvironment(const wchar_t* name, const std::wstring& value);
  ~ScopedEnvironment();
  ScopedEnvironment(const ScopedEnvironment&) = delete;
  ScopedEnvironment& operator=(const ScopedEnvironment&) = delete;

 private:
  std::wstring name_;
  std::wstring old_;
  bool hadOld_;
};

// The current test's own folder in the prefix, emptied when made.
class TestFolder {
 public:
  TestFolder();
  const std::wstring& path() const { return path_; }
  std::wstring File(const std::wstring& name) const { return JoinPath(path_, name); }
  // Copies `source` into the folder as `name`; false when it cannot.
  bool Put(const std::wstring& source, const std::wstring& name) const;

 private:
  std::wstring path_;
};

// The program copied into a test folder and started there.
class Notice {
 public:
  // Copies the built program in as `exeName` and starts it; the caller then
  // waits for what it expects (WaitForWindow, or the process's end).
  bool Start(const TestFolder& folder, const std::wstring& exeName = L"TarvicUpdateHelper.exe");
  // Waits for the program's first visible top-level window.
  HWND WaitForWindow(DWORD timeoutMs = kAppearTimeoutMs);

  uidriver::ChildProcess& process() { return process_; }
  HWND window() const { return window_; }
  const std::wstring& exePath() const { return exePath_; }
  const std::wstring& error() const { return error_; }

  // Waits for the process to end, noting every window it shows meanwhile
  // other than the notice (a message box, say).
  bool WaitForExit(DWORD timeoutMs, std::vector<std::wstring>* otherWindows);

 private:
  uidriver::ChildProcess process_;
  HWND window_ = nullptr;
  std::wstring exePath_;
  std::wstring error_;
};

}  // namespace e2e
