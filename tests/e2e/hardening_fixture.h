// What the hardening tests share: the uninstall entry they register, files
// planted outside the test's folder, the marker planted code leaves
// (tools/standins/planted/marker.h), and the handles and memory of the
// notice's process as the system tells them to another process.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "action_fixture.h"
#include "harness.h"

namespace e2e {

// A stand-in program or DLL as built (tools/standins/).
std::wstring Standin(const wchar_t* fileName);

// HKLM\...\Uninstall\Tarvic with UninstallString as REG_SZ; removed before
// and after.
class UninstallEntry {
 public:
  UninstallEntry();
  ~UninstallEntry();
  UninstallEntry(const UninstallEntry&) = delete;
  UninstallEntry& operator=(const UninstallEntry&) = delete;

  bool Set(const std::wstring& command);
  static bool Exists();
};

// A folder made for one test outside its own (under C:\Program Files, say),
// removed when it goes if it is empty by then.
class PlacedFolder {
 public:
  explicit PlacedFolder(const std::wstring& path);
  ~PlacedFolder();
  PlacedFolder(const PlacedFolder&) = delete;
  PlacedFolder& operator=(const PlacedFolder&) = delete;

  std::wstring File(const std::wstring& name) const { return JoinPath(path_, name); }

 private:
  std::wstring path_;
};

// A file put somewhere shared (C:\, system32) for one test: copied in when
// made, and deleted when it goes, once whoever ran it has let go of it.
class PlacedFile {
 public:
  PlacedFile(const std::wstring& source, const std::wstring& path);
  ~PlacedFile();
  PlacedFile(const PlacedFile&) = delete;
  PlacedFile& operator=(const PlacedFile&) = delete;

  bool placed() const { return placed_; }
  const std::wstring& path() const { return path_; }

 private:
  std::wstring path_;
  bool placed_;
};

// Where the browser stand-in records its starts and how long it stays
// (tools/standins/browser/settings.h); the settings go when this does.
class BrowserRecord {
 public:
  BrowserRecord(const std::wstring& record, DWORD stayMs);
  ~BrowserRecord();
  BrowserRecord(const BrowserRecord&) = delete;
  BrowserRecord& operator=(const BrowserRecord&) = delete;

  bool written() const { return written_; }

 private:
  bool written_;
};

// The file planted code writes to when it runs, named in our environment
// (which the programs we start inherit), in the test's folder.
class PlantedMarker {
 public:
  explicit PlantedMarker(const TestFolder& folder);
  // Every run of planted code, "<module> in <process>"; none is what the
  // tests expect.
  std::vector<std::wstring> Runs() const;

 private:
  std::wstring path_;
  ScopedEnvironment variable_;
};

// Printed in failure messages: "none", or the runs one per line.
std::wstring Describe(const std::vector<std::wstring>& runs);

// One entry of the system's handle table.
struct HandleEntry {
  USHORT value;
  BYTE type;        // the object type's index, the same for every handle of a type
  BYTE attributes;  // OBJ_INHERIT (2) marks an inheritable handle
  ACCESS_MASK access;
};

// The handles the process holds, from NtQuerySystemInformation's handle
// table (GetProcessHandleCount reports 0 under Wine).
testing::AssertionResult HandlesOf(DWORD processId, std::vector<HandleEntry>* handles);

// Each handle of the list that is inheritable, as "value type access".
std::vector<std::wstring> Inheritable(const std::vector<HandleEntry>& handles);

}  // namespace e2e
