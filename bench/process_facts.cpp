#include "process_facts.h"

#include <psapi.h>

#include <cstddef>

#include <vector>

namespace bench {

namespace {

// One entry of the system handle table (SystemHandleInformation), as laid
// out for a 32-bit process.
struct HandleEntry {
  ULONG ownerProcessId;
  BYTE objectType;
  BYTE flags;
  USHORT value;
  PVOID object;
  ACCESS_MASK access;
};
static_assert(sizeof(HandleEntry) == 16, "the table's 32-bit entry");

struct HandleTable {
  ULONG count;
  HandleEntry entries[1];
};

using QuerySystemInformationCall = LONG(WINAPI*)(ULONG, PVOID, ULONG, PULONG);
const ULONG kSystemHandleInformation = 16;
const LONG kStatusInfoLengthMismatch = static_cast<LONG>(0xC0000004);
const ULONG kFirstTableBytes = 64 * 1024;
const ULONG kMaxTableBytes = 16 * 1024 * 1024;

bool CountHandles(DWORD processId, uint32_t* count) {
  auto query = reinterpret_cast<QuerySystemInformationCall>(reinterpret_cast<void*>(
      ::GetProcAddress(::GetModuleHandleW(L"ntdll.dll"), "NtQuerySystemInformation")));
  if (query == nullptr) return false;
  for (ULONG bytes = kFirstTableBytes; bytes <= kMaxTableBytes; bytes *= 2) {
    std::vector<BYTE> buffer(bytes);
    ULONG needed = 0;
    const LONG status = query(kSystemHandleInformation, buffer.data(), bytes, &needed);
    if (status == kStatusInfoLengthMismatch) continue;
    if (status < 0) return false;
    const auto* table = reinterpret_cast<const HandleTable*>(buffer.data());
    const ULONG room = (bytes - offsetof(HandleTable, entries)) / sizeof(HandleEntry);
    const ULONG listed = table->count < room ? table->count : room;
    uint32_t owned = 0;
    for (ULONG i = 0; i < listed; ++i)
      if (table->entries[i].ownerProcessId == processId) ++owned;
    *count = owned;
    return true;
  }
  return false;
}

struct WindowCount {
  DWORD processId;
  uint32_t count;
};

BOOL CALLBACK CountChild(HWND, LPARAM context) {
  ++reinterpret_cast<WindowCount*>(context)->count;
  return TRUE;
}

BOOL CALLBACK CountTopLevel(HWND window, LPARAM context) {
  auto* counted = reinterpret_cast<WindowCount*>(context);
  DWORD owner = 0;
  ::GetWindowThreadProcessId(window, &owner);
  if (owner != counted->processId) return TRUE;
  ++counted->count;
  ::EnumChildWindows(window, &CountChild, context);
  return TRUE;
}

}  // namespace

bool ReadProcessFacts(HANDLE process, DWORD processId, ProcessFacts* facts) {
  *facts = ProcessFacts();
  facts->handlesKnown = CountHandles(processId, &facts->handles);
  WindowCount windows = {processId, 0};
  ::EnumWindows(&CountTopLevel, reinterpret_cast<LPARAM>(&windows));
  facts->windows = windows.count;

  PROCESS_MEMORY_COUNTERS_EX memory = {};
  memory.cb = sizeof memory;
  if (!::GetProcessMemoryInfo(process, reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&memory),
                              sizeof memory))
    return false;
  facts->workingSet = memory.WorkingSetSize;
  facts->peakWorkingSet = memory.PeakWorkingSetSize;
  facts->privateBytes = memory.PrivateUsage;
  facts->pagefile = memory.PagefileUsage;
  return true;
}

}  // namespace bench
