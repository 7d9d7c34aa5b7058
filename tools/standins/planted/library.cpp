// A DLL planted beside the program under the names of system DLLs. Its code
// runs only if someone loads it; then it leaves its marker (marker.h). It
// exports nothing and imports only kernel32 and the C runtime, so it never
// asks for one of the names it is planted under.
#include <windows.h>

#include "planted/marker.h"

BOOL WINAPI DllMain(HINSTANCE module, DWORD reason, LPVOID /*reserved*/) {
  if (reason == DLL_PROCESS_ATTACH) standin::LeaveMarker(module);
  return TRUE;
}
