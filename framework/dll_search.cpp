#include "framework/dll_search.h"

#include <windows.h>

namespace {
using SetDefaultDllDirectoriesFunction = BOOL(WINAPI*)(DWORD);
using SetDllDirectoryFunction = BOOL(WINAPI*)(LPCWSTR);
const DWORD kSearchSystem32 = 0x00000800;  // LOAD_LIBRARY_SEARCH_SYSTEM32
}  // namespace

void RestrictDllSearch() {
  // Both are looked up at run time: the program must still start on systems
  // that lack them (SetDefaultDllDirectories came with Windows 8 and a
  // Windows 7 update, SetDllDirectoryW with XP SP1).
  HMODULE kernel = ::GetModuleHandleW(L"kernel32.dll");
  if (kernel == nullptr) return;
  auto setDefault = reinterpret_cast<SetDefaultDllDirectoriesFunction>(
      reinterpret_cast<void*>(::GetProcAddress(kernel, "SetDefaultDllDirectories")));
  if (setDefault != nullptr && setDefault(kSearchSystem32)) return;
  auto setDirectory = reinterpret_cast<SetDllDirectoryFunction>(
      reinterpret_cast<void*>(::GetProcAddress(kernel, "SetDllDirectoryW")));
  if (setDirectory != nullptr) setDirectory(L"");
}
