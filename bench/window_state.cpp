#include "window_state.h"

namespace bench {

namespace {

bool WaitsForPaint(HWND window) { return ::GetUpdateRect(window, nullptr, FALSE) != FALSE; }

BOOL CALLBACK FindUnpaintedChild(HWND child, LPARAM context) {
  if (::IsWindowVisible(child) && WaitsForPaint(child)) {
    *reinterpret_cast<bool*>(context) = true;
    return FALSE;
  }
  return TRUE;
}

// More dialogs than any program of the benchmark has; bounds the search.
const int kMaxDialogs = 64;

}  // namespace

bool ShownAndPainted(HWND window) {
  if (!::IsWindowVisible(window) || WaitsForPaint(window)) return false;
  bool unpainted = false;
  ::EnumChildWindows(window, &FindUnpaintedChild, reinterpret_cast<LPARAM>(&unpainted));
  return !unpainted;
}

std::vector<HWND> DialogsOf(DWORD processId, HWND exclude) {
  // FindWindowEx lets Wine's server pick the dialogs out, which is cheaper
  // for the programs measured than asking about every top-level window: the
  // driver shares the server with them.
  std::vector<HWND> found;
  HWND after = nullptr;
  for (int i = 0; i < kMaxDialogs; ++i) {
    after = ::FindWindowExW(nullptr, after, L"#32770", nullptr);
    if (after == nullptr) break;
    if (after == exclude) continue;
    DWORD owner = 0;
    ::GetWindowThreadProcessId(after, &owner);
    if (owner == processId) found.push_back(after);
  }
  return found;
}

}  // namespace bench
