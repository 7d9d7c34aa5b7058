// Bounded polling: every wait of the driver gives up after its timeout.
#pragma once

#include <windows.h>

namespace uidriver {

// Polls `done` every `intervalMs` until it is true (true) or `timeoutMs` has
// passed (false). `done` is always asked at least once.
template <class Condition>
bool WaitUntil(DWORD timeoutMs, Condition done, DWORD intervalMs = 50) {
  const DWORD start = ::GetTickCount();
  for (;;) {
    if (done()) return true;
    if (::GetTickCount() - start >= timeoutMs) return false;
    ::Sleep(intervalMs);
  }
}

}  // namespace uidriver
