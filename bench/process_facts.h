// What a process of the prefix holds, read from outside it: its kernel
// handles (from the system handle table: Wine reports 0 for
// GetProcessHandleCount), its windows, and its memory as the process
// counters give it.
#pragma once

#include <windows.h>

#include <cstdint>

namespace bench {

struct ProcessFacts {
  bool handlesKnown = false;
  uint32_t handles = 0;     // entries of the system handle table it owns
  uint32_t windows = 0;     // its top-level windows and all their children
  uint64_t workingSet = 0;  // bytes
  uint64_t peakWorkingSet = 0;
  uint64_t privateBytes = 0;
  uint64_t pagefile = 0;
};

// False when the memory counters cannot be read.
bool ReadProcessFacts(HANDLE process, DWORD processId, ProcessFacts* facts);

}  // namespace bench
