#include "hardening_fixture.h"

#include <algorithm>
#include <cstddef>

#include "actions/uninstall_key.h"
#include "owned.h"
#include "tools/standins/browser/settings.h"
#include "tools/standins/planted/settings.h"
#include "wait.h"

namespace e2e {

namespace {

const wchar_t kEntryPath[] = UNINSTALL_PARENT_KEY L"\\" TARVIC_UNINSTALL_ENTRY;

// NtQuerySystemInformation(SystemHandleInformation): a count, then one entry
// per handle of the system. The owner is a process id cut to 16 bits on
// Windows, with 16 bits of something else above it.
const ULONG kSystemHandleInformation = 16;
const LONG kInfoLengthMismatch = static_cast<LONG>(0xC0000004);
const size_t kMaxHandleTableBytes = 64u << 20;

struct SystemHandle {
  ULONG owner;
  BYTE type;
  BYTE attributes;
  USHORT value;
  void* object;
  ACCESS_MASK access;
};

struct SystemHandleTable {
  ULONG count;
  SystemHandle handles[1];
};

using QuerySystemInformation = LONG(WINAPI*)(ULONG, void*, ULONG, ULONG*);

}  // namespace

std::wstring Standin(const wchar_t* fileName) {
  return JoinPath(JoinPath(GetPaths().tools, L"standins"), fileName);
}

UninstallEntry::UninstallEntry() { ::RegDeleteKeyW(HKEY_LOCAL_MACHINE, kEntryPath); }

UninstallEntry::~UninstallEntry() { ::RegDeleteKeyW(HKEY_LOCAL_MACHINE, kEntryPath); }

bool UninstallEntry::Set(const std::wstring& command) {
  HKEY created = nullptr;
  if (::RegCreateKeyExW(HKEY_LOCAL_MACHINE, kEntryPath, 0, nullptr, 0, KEY_SET_VALUE, nullptr,
                        &created, nullptr) != ERROR_SUCCESS)
    return false;
  uidriver::UniqueKey key(created);
  const DWORD bytes = static_cast<DWORD>((command.size() + 1) * sizeof(wchar_t));
  return ::RegSetValueExW(key.get(), UNINSTALL_STRING_VALUE, 0, REG_SZ,
                          reinterpret_cast<const BYTE*>(command.c_str()), bytes) == ERROR_SUCCESS;
}

bool UninstallEntry::Exists() {
  HKEY opened = nullptr;
  const LONG status = ::RegOpenKeyExW(HKEY_LOCAL_MACHINE, kEntryPath, 0, KEY_READ, &opened);
  uidriver::UniqueKey key(opened);
  return status == ERROR_SUCCESS;
}

PlacedFolder::PlacedFolder(const std::wstring& path) : path_(path) {
  ::CreateDirectoryW(path_.c_str(), nullptr);
}

PlacedFolder::~PlacedFolder() { ::RemoveDirectoryW(path_.c_str()); }

PlacedFile::PlacedFile(const std::wstring& source, const std::wstring& path)
    : path_(path), placed_(::CopyFileW(source.c_str(), path.c_str(), FALSE) != 0) {}

PlacedFile::~PlacedFile() {
  if (!placed_) return;
  const bool deleted =
      uidriver::WaitUntil(kExitTimeoutMs, [&] { return ::DeleteFileW(path_.c_str()) != 0; });
  EXPECT_TRUE(deleted) << "cannot remove " << path_ << " that the test put there";
}

BrowserRecord::BrowserRecord(const std::wstring& record, DWORD stayMs) : written_(false) {
  ::RegDeleteKeyW(HKEY_CURRENT_USER, BROWSER_STANDIN_KEY);
  HKEY created = nullptr;
  if (::RegCreateKeyExW(HKEY_CURRENT_USER, BROWSER_STANDIN_KEY, 0, nullptr, 0, KEY_SET_VALUE,
                        nullptr, &created, nullptr) != ERROR_SUCCESS)
    return;
  uidriver::UniqueKey key(created);
  const DWORD bytes = static_cast<DWORD>((record.size() + 1) * sizeof(wchar_t));
  written_ =
      ::RegSetValueExW(key.get(), BROWSER_STANDIN_RECORD, 0, REG_SZ,
                       reinterpret_cast<const BYTE*>(record.c_str()), bytes) == ERROR_SUCCESS &&
      ::RegSetValueExW(key.get(), BROWSER_STANDIN_STAY_MS, 0, REG_DWORD,
                       reinterpret_cast<const BYTE*>(&stayMs), sizeof stayMs) == ERROR_SUCCESS;
}

BrowserRecord::~BrowserRecord() { ::RegDeleteKeyW(HKEY_CURRENT_USER, BROWSER_STANDIN_KEY); }

PlantedMarker::PlantedMarker(const TestFolder& folder)
    : path_(folder.File(L"planted-code-ran.txt")), variable_(PLANTED_MARKER_VARIABLE, path_) {}

// Line by line, not by ReadRecord: one process may leave several markers.
std::vector<std::wstring> PlantedMarker::Runs() const {
  std::vector<std::wstring> runs;
  const std::string text = ReadFileBytes(path_);
  std::string module;
  size_t start = 0;
  for (size_t end; (end = text.find('\n', start)) != std::string::npos; start = end + 1) {
    const std::string line = text.substr(start, end - start);
    const size_t space = line.find(' ');
    if (space == std::string::npos) continue;
    const std::string field = line.substr(space + 1);
    if (field.compare(0, 7, "module=") == 0) module = field.substr(7);
    if (field.compare(0, 8, "process=") == 0)
      runs.push_back(FromUtf8(module) + L" in " + FromUtf8(field.substr(8)));
  }
  return runs;
}

std::wstring Describe(const std::vector<std::wstring>& runs) {
  if (runs.empty()) return L"none";
  std::wstring text;
  for (const std::wstring& run : runs) text += L"\n    " + run;
  return text;
}

testing::AssertionResult HandlesOf(DWORD processId, std::vector<HandleEntry>* handles) {
  auto query = reinterpret_cast<QuerySystemInformation>(reinterpret_cast<void*>(
      ::GetProcAddress(::GetModuleHandleW(L"ntdll.dll"), "NtQuerySystemInformation")));
  if (query == nullptr) return testing::AssertionFailure() << "no NtQuerySystemInformation";
  std::vector<BYTE> buffer(64 << 10);
  LONG status = 0;
  for (;;) {
    ULONG needed = 0;
    status =
        query(kSystemHandleInformation, buffer.data(), static_cast<ULONG>(buffer.size()), &needed);
    if (status != kInfoLengthMismatch || buffer.size() >= kMaxHandleTableBytes) break;
    buffer.resize(std::min(kMaxHandleTableBytes, std::max<size_t>(buffer.size() * 2, needed)));
  }
  if (status != 0) return testing::AssertionFailure() << "the handle table: status " << Hex(status);
  const auto* table = reinterpret_cast<const SystemHandleTable*>(buffer.data());
  const size_t room = (buffer.size() - offsetof(SystemHandleTable, handles)) / sizeof(SystemHandle);
  if (table->count > room)
    return testing::AssertionFailure()
           << "the handle table claims " << table->count << " entries in room for " << room;
  handles->clear();
  for (ULONG i = 0; i < table->count; ++i) {
    const SystemHandle& entry = table->handles[i];
    if ((entry.owner & 0xFFFF) != (processId & 0xFFFF)) continue;
    handles->push_back(HandleEntry{entry.value, entry.type, entry.attributes, entry.access});
  }
  return testing::AssertionSuccess();
}

std::vector<std::wstring> Inheritable(const std::vector<HandleEntry>& handles) {
  const BYTE kInherit = 0x02;  // OBJ_INHERIT
  std::vector<std::wstring> found;
  for (const HandleEntry& handle : handles) {
    if (handle.attributes & kInherit)
      found.push_back(Hex(handle.value, 4) + L" type " + std::to_wstring(handle.type) +
                      L" access " + Hex(handle.access));
  }
  return found;
}

}  // namespace e2e
