// Where the benchmark's stand-in uninstaller leaves the moment it exits, for
// the driver to read: a small block of named shared memory. Times are
// QueryPerformanceCounter ticks, which under Wine are one monotonic clock
// for every process of the machine.
//
// Use:
//  1. The driver creates the block (ExitClock::kName) before it clicks.
//  2. Each stand-in process calls StampExit as the last thing before it
//     returns; the block keeps the latest stamp and counts the exits.
//  3. The driver waits for the count it expects and reads `lastExit`.
#pragma once

#include <windows.h>

#include "owned.h"

namespace bench {

struct ExitClock {
  static constexpr const wchar_t* kName = L"TarvicBench.exitClock";

  volatile LONGLONG lastExit;  // the latest stamp; 0 until the first
  volatile LONG exits;         // how many processes stamped
};

struct ViewTraits {
  using Value = void*;
  static Value Invalid() { return nullptr; }
  static bool IsValid(Value v) { return v != nullptr; }
  static void Close(Value v) { ::UnmapViewOfFile(v); }
};
using UniqueView = uidriver::Owned<ViewTraits>;

// The block mapped into this process; `create` makes it when it is missing.
class SharedExitClock {
 public:
  bool Open(bool create) {
    mapping_.Reset(create ? ::CreateFileMappingW(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0,
                                                 sizeof(ExitClock), ExitClock::kName)
                          : ::OpenFileMappingW(FILE_MAP_WRITE, FALSE, ExitClock::kName));
    if (!mapping_) return false;
    view_.Reset(::MapViewOfFile(mapping_.get(), FILE_MAP_WRITE, 0, 0, sizeof(ExitClock)));
    return static_cast<bool>(view_);
  }

  ExitClock* get() const { return static_cast<ExitClock*>(view_.get()); }

 private:
  uidriver::UniqueHandle mapping_;
  UniqueView view_;
};

// Keeps the later of the stamp there and now, and counts this exit.
inline void StampExit(ExitClock* clock) {
  LARGE_INTEGER now;
  ::QueryPerformanceCounter(&now);
  for (;;) {
    const LONGLONG seen = clock->lastExit;
    if (seen >= now.QuadPart) break;
    if (::InterlockedCompareExchange64(&clock->lastExit, now.QuadPart, seen) == seen) break;
  }
  ::InterlockedIncrement(&clock->exits);
}

}  // namespace bench
