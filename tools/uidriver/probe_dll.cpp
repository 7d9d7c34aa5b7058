// The probe DLL: a message hook that Wine loads into the process under test.
// When the driver's probe message comes through the hooked thread's queue it
// answers the request waiting in the shared memory (see probe_protocol.h).
#include <windows.h>

#include <cstring>
#include <vector>

#include "owned.h"
#include "probe_protocol.h"

using namespace uidriver;

namespace {

// Icons larger than this are not described; the buffer stays bounded.
const LONG kMaxIconSide = 256;

void DescribeIcon(HICON icon, ProbeRequest* request) {
  ICONINFO info = {};
  if (!::GetIconInfo(icon, &info)) return;
  UniqueGdiObject mask(info.hbmMask);
  UniqueGdiObject colour(info.hbmColor);
  if (!colour) return;
  BITMAP bitmap = {};
  if (!::GetObjectW(colour.get(), sizeof bitmap, &bitmap)) return;
  request->width = bitmap.bmWidth;
  request->height = bitmap.bmHeight;
  if (bitmap.bmWidth <= 0 || bitmap.bmHeight <= 0 || bitmap.bmWidth > kMaxIconSide ||
      bitmap.bmHeight > kMaxIconSide)
    return;

  BITMAPINFO format = {};
  format.bmiHeader.biSize = sizeof format.bmiHeader;
  format.bmiHeader.biWidth = bitmap.bmWidth;
  format.bmiHeader.biHeight = -bitmap.bmHeight;  // top-down rows
  format.bmiHeader.biPlanes = 1;
  format.bmiHeader.biBitCount = 32;
  format.bmiHeader.biCompression = BI_RGB;
  std::vector<DWORD> pixels(static_cast<size_t>(bitmap.bmWidth) * bitmap.bmHeight);
  UniqueMemoryDc dc(::CreateCompatibleDC(nullptr));
  if (!dc || ::GetDIBits(dc.get(), static_cast<HBITMAP>(colour.get()), 0, bitmap.bmHeight,
                         pixels.data(), &format, DIB_RGB_COLORS) != bitmap.bmHeight)
    return;
  const size_t centre = static_cast<size_t>(bitmap.bmHeight / 2) * bitmap.bmWidth + bitmap.bmWidth / 2;
  request->centre = pixels[centre] & 0x00FFFFFF;
}

UINT ErrorMode() {
  using GetErrorModeCall = UINT(WINAPI*)();
  auto call = reinterpret_cast<GetErrorModeCall>(
      reinterpret_cast<void*>(::GetProcAddress(::GetModuleHandleW(L"kernel32.dll"), "GetErrorMode")));
  if (call != nullptr) return call();
  // Older systems: read it by setting it, then put it back.
  const UINT mode = ::SetErrorMode(0);
  ::SetErrorMode(mode);
  return mode;
}

void CommonControlsPath(ProbeRequest* request) {
  request->text[0] = L'\0';
  HMODULE loaded = ::GetModuleHandleW(L"comctl32.dll");
  if (loaded == nullptr) return;
  const DWORD length = ::GetModuleFileNameW(loaded, request->text, ARRAYSIZE(request->text));
  if (length == 0 || length >= ARRAYSIZE(request->text)) request->text[0] = L'\0';
}

void Answer(ProbeRequest* request) {
  HWND window = reinterpret_cast<HWND>(static_cast<UINT_PTR>(request->window));
  request->understood = 1;
  switch (request->op) {
    case kProbeSendMessage:
      request->result = static_cast<uint32_t>(
          ::SendMessageW(window, request->message, request->wParam, request->lParam));
      break;
    case kProbeLoadSystemIcon:
      request->result = static_cast<uint32_t>(reinterpret_cast<UINT_PTR>(
          ::LoadIconW(nullptr, MAKEINTRESOURCEW(request->wParam))));
      break;
    case kProbeLoadExeIcon:
      request->result = static_cast<uint32_t>(reinterpret_cast<UINT_PTR>(
          ::LoadIconW(::GetModuleHandleW(nullptr), MAKEINTRESOURCEW(request->wParam))));
      break;
    case kProbeDescribeIcon:
      DescribeIcon(reinterpret_cast<HICON>(static_cast<UINT_PTR>(request->wParam)), request);
      break;
    case kProbeErrorMode:
      request->result = ErrorMode();
      break;
    case kProbeCommonControlsPath:
      CommonControlsPath(request);
      break;
    default:
      request->understood = 0;
  }
}

// The request the driver left for this process, answered once.
void AnswerPending() {
  wchar_t name[64];
  wsprintfW(name, L"%s%lu", UIPROBE_SHARED_PREFIX, ::GetCurrentProcessId());
  UniqueHandle mapping(::OpenFileMappingW(FILE_MAP_ALL_ACCESS, FALSE, name));
  if (!mapping) return;
  void* view = ::MapViewOfFile(mapping.get(), FILE_MAP_ALL_ACCESS, 0, 0, sizeof(ProbeRequest));
  if (view == nullptr) return;
  auto* request = static_cast<volatile ProbeRequest*>(view);
  if (request->answered != request->sequence) {
    ProbeRequest copy;
    memcpy(&copy, view, sizeof copy);
    Answer(&copy);
    copy.answered = 0;
    memcpy(view, &copy, sizeof copy);
    ::MemoryBarrier();
    request->answered = copy.sequence;  // last: the driver waits for this
  }
  ::UnmapViewOfFile(view);
}

}  // namespace

extern "C" __declspec(dllexport) LRESULT CALLBACK ProbeHook(int code, WPARAM wParam,
                                                            LPARAM lParam) {
  static const UINT probeMessage = ::RegisterWindowMessageW(UIPROBE_MESSAGE);
  if (code == HC_ACTION && wParam == PM_REMOVE) {
    auto* message = reinterpret_cast<MSG*>(lParam);
    if (message->message == probeMessage && probeMessage != 0) {
      AnswerPending();
      message->message = WM_NULL;  // the program never sees it
    }
  }
  return ::CallNextHookEx(nullptr, code, wParam, lParam);
}
