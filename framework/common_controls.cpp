#include "framework/common_controls.h"

namespace {
using InitCommonControlsExFunction = BOOL(WINAPI*)(const INITCOMMONCONTROLSEX*);
HMODULE commonControls = nullptr;
}  // namespace

BOOL InitCommonControlsAfterStartUp(const INITCOMMONCONTROLSEX* controls) {
  // By its bare name: the manifest's dependency redirects it to the
  // side-by-side version 6, and the search no longer includes our folder.
  if (commonControls == nullptr) commonControls = ::LoadLibraryW(L"comctl32.dll");
  if (commonControls == nullptr) return FALSE;
  auto init = reinterpret_cast<InitCommonControlsExFunction>(
      reinterpret_cast<void*>(::GetProcAddress(commonControls, "InitCommonControlsEx")));
  return init != nullptr && init(controls);
}

void ReleaseCommonControls() {
  if (commonControls == nullptr) return;
  ::FreeLibrary(commonControls);
  commonControls = nullptr;
}
