// Stand-in for the browser, installed over iexplore.exe in the test prefix
// (see tests/README.md). It records how it was started ("commandLine",
// "program") and exits, or first stays a while to show that nobody waits for
// it; settings.h says where a test tells it which.
#include <windows.h>

#include <string>

#include "browser/settings.h"
#include "owned.h"
#include "record/record.h"

namespace {

struct Settings {
  std::wstring record;
  DWORD stayMs = 0;
};

Settings ReadSettings() {
  Settings settings;
  HKEY opened = nullptr;
  if (::RegOpenKeyExW(HKEY_CURRENT_USER, BROWSER_STANDIN_KEY, 0, KEY_QUERY_VALUE, &opened) !=
      ERROR_SUCCESS)
    return settings;
  uidriver::UniqueKey key(opened);
  wchar_t path[MAX_PATH] = L"";
  DWORD type = 0, size = sizeof path - sizeof path[0];
  if (::RegQueryValueExW(key.get(), BROWSER_STANDIN_RECORD, nullptr, &type,
                         reinterpret_cast<BYTE*>(path), &size) == ERROR_SUCCESS &&
      type == REG_SZ)
    settings.record.assign(path, size / sizeof path[0]);
  // A stored terminator is not part of the path.
  while (!settings.record.empty() && settings.record.back() == L'\0') settings.record.pop_back();
  DWORD stay = 0;
  size = sizeof stay;
  if (::RegQueryValueExW(key.get(), BROWSER_STANDIN_STAY_MS, nullptr, &type,
                         reinterpret_cast<BYTE*>(&stay), &size) == ERROR_SUCCESS &&
      type == REG_DWORD)
    settings.stayMs = stay;
  return settings;
}

}  // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, LPWSTR, int) {
  const Settings settings = ReadSettings();
  standin::Record record(settings.record);
  record.Add("commandLine", ::GetCommandLineW());
  wchar_t program[MAX_PATH] = L"";
  const DWORD length = ::GetModuleFileNameW(nullptr, program, ARRAYSIZE(program));
  record.Add("program", length > 0 && length < ARRAYSIZE(program) ? program : L"(unknown)");
  record.Write();
  if (settings.stayMs > 0) ::Sleep(settings.stayMs);
  return 0;
}
