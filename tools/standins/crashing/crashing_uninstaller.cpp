// An uninstaller that crashes: it records its start like the uninstaller
// stand-in (uninstaller/settings.h names the file) and then writes through a
// null pointer, leaving the uninstall key where it is.
#include <windows.h>

#include "record/record.h"
#include "uninstaller/settings.h"

int WINAPI wWinMain(HINSTANCE, HINSTANCE, LPWSTR, int) {
  standin::Record record(standin::Environment(UNINSTALLER_STANDIN_RECORD_VARIABLE));
  record.Add("start", L"");
  record.Add("commandLine", ::GetCommandLineW());
  record.Write();
  // A pointer the compiler cannot see through, so the write really happens.
  int* volatile nowhere = nullptr;
  *nowhere = 1;
  return 0;
}
