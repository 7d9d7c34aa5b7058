// What a planted file writes when its code runs: lines "<pid> module=<path>"
// and "<pid> process=<path>" (record.h), appended to the file settings.h
// names. The tests plant these where no program of ours may run code from,
// so any line is a failure, and it says which process ran what.
#pragma once

#include <windows.h>

#include <string>

#include "planted/settings.h"
#include "record/record.h"

namespace standin {

inline std::wstring ModulePath(HMODULE module) {
  wchar_t path[MAX_PATH] = L"";
  const DWORD length = ::GetModuleFileNameW(module, path, ARRAYSIZE(path));
  return length > 0 && length < ARRAYSIZE(path) ? std::wstring(path, length) : L"(unknown)";
}

inline void LeaveMarker(HMODULE module) {
  Record record(Environment(PLANTED_MARKER_VARIABLE));
  record.Add("module", ModulePath(module));
  record.Add("process", ModulePath(nullptr));
  record.Write();
}

}  // namespace standin
