// A window hook the tests put on the notice's thread, so that Wine loads it
// into the running program: there it asks for DLLs by their bare names, as
// any code in the process might once the program runs, and records where
// each came from. The names come from the program's environment,
// ASKING_HOOK_NAMES (';'-separated), the record goes to ASKING_HOOK_RECORD,
// one "<name>=<path>" line per name ("none" when none loaded), then "end".
#include <windows.h>

#include <string>

#include "planted/marker.h"
#include "planted/settings.h"
#include "record/record.h"

namespace {

void AskOnce() {
  static bool asked = false;
  if (asked) return;
  asked = true;
  standin::Record record(standin::Environment(ASKING_HOOK_RECORD_VARIABLE));
  const std::wstring names = standin::Environment(ASKING_HOOK_NAMES_VARIABLE);
  for (size_t start = 0; start < names.size();) {
    size_t end = names.find(L';', start);
    if (end == std::wstring::npos) end = names.size();
    const std::wstring name = names.substr(start, end - start);
    start = end + 1;
    if (name.empty()) continue;
    HMODULE module = ::LoadLibraryW(name.c_str());
    record.Add(standin::Utf8(name).c_str(),
               module != nullptr ? standin::ModulePath(module) : L"none");
    if (module != nullptr) ::FreeLibrary(module);
  }
  record.Add("end", L"");
  record.Write();
}

}  // namespace

extern "C" __declspec(dllexport) LRESULT CALLBACK AskHook(int code, WPARAM wParam, LPARAM lParam) {
  if (code == HC_ACTION && wParam == PM_REMOVE) AskOnce();
  return ::CallNextHookEx(nullptr, code, wParam, lParam);
}
