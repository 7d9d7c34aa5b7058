// A program planted where a registered command must not lead: the tests copy
// it as C:\Program.exe, or under a bare name into our folder and the current
// one. It leaves its marker (marker.h) and ends without touching anything.
#include <windows.h>

#include "planted/marker.h"

int WINAPI wWinMain(HINSTANCE, HINSTANCE, LPWSTR, int) {
  standin::LeaveMarker(nullptr);
  return 0;
}
