#include "remote_probe.h"

#include <cstring>

#include "process.h"
#include "wait.h"

namespace uidriver {

namespace {
// Time for the target's thread to take the probe message and answer.
const DWORD kAnswerTimeoutMs = 10000;
}  // namespace

bool RemoteProbe::Attach(HWND window, const std::wstring& probeDllPath, std::wstring* error) {
  Detach();
  DWORD processId = 0;
  const DWORD threadId = ::GetWindowThreadProcessId(window, &processId);
  if (threadId == 0) {
    *error = L"no such window";
    return false;
  }
  const std::wstring name = UIPROBE_SHARED_PREFIX + std::to_wstring(processId);
  mapping_.Reset(::CreateFileMappingW(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0,
                                      sizeof(ProbeRequest), name.c_str()));
  if (mapping_) view_.Reset(::MapViewOfFile(mapping_.get(), FILE_MAP_ALL_ACCESS, 0, 0, 0));
  if (!view_) {
    *error = LastErrorText(L"shared memory for the probe");
    return false;
  }
  memset(view_.get(), 0, sizeof(ProbeRequest));

  probe_.Reset(::LoadLibraryW(probeDllPath.c_str()));
  auto proc = probe_ ? reinterpret_cast<HOOKPROC>(reinterpret_cast<void*>(
                           ::GetProcAddress(probe_.get(), UIPROBE_HOOK)))
                     : nullptr;
  if (proc == nullptr) {
    *error = LastErrorText((L"loading the probe " + probeDllPath).c_str());
    return false;
  }
  hook_.Reset(::SetWindowsHookExW(WH_GETMESSAGE, proc, probe_.get(), threadId));
  message_ = ::RegisterWindowMessageW(UIPROBE_MESSAGE);
  if (!hook_ || message_ == 0) {
    *error = LastErrorText(L"hooking the target's thread");
    return false;
  }
  window_ = window;
  return true;
}

void RemoteProbe::Detach() {
  hook_.Reset();
  view_.Reset();
  mapping_.Reset();
  probe_.Reset();
  window_ = nullptr;
}

bool RemoteProbe::Run(ProbeRequest* request) {
  if (!view_ || !hook_) {
    error_ = L"not attached";
    return false;
  }
  auto* shared = static_cast<volatile ProbeRequest*>(view_.get());
  request->sequence = ++sequence_;
  request->answered = 0;
  memcpy(view_.get(), request, sizeof *request);
  ::MemoryBarrier();
  if (!::PostMessageW(window_, message_, 0, 0)) {
    error_ = LastErrorText(L"posting the probe message");
    return false;
  }
  if (!WaitUntil(kAnswerTimeoutMs, [&] { return shared->answered == request->sequence; }, 10)) {
    error_ = L"the target did not answer within " + std::to_wstring(kAnswerTimeoutMs) + L" ms";
    return false;
  }
  ::MemoryBarrier();
  memcpy(request, view_.get(), sizeof *request);
  if (!request->understood) error_ = L"the probe did not understand request " + std::to_wstring(request->op);
  return request->understood != 0;
}

bool RemoteProbe::Send(HWND window, UINT message, WPARAM wParam, LPARAM lParam,
                       LRESULT* result) {
  ProbeRequest request = {};
  request.op = kProbeSendMessage;
  request.window = static_cast<uint32_t>(reinterpret_cast<UINT_PTR>(window));
  request.message = message;
  request.wParam = static_cast<uint32_t>(wParam);
  request.lParam = static_cast<uint32_t>(lParam);
  if (!Run(&request)) return false;
  *result = static_cast<LRESULT>(request.result);
  return true;
}

bool RemoteProbe::WindowIcon(HWND window, int which, HICON* icon) {
  LRESULT result = 0;
  if (!Send(window, WM_GETICON, which, 0, &result)) return false;
  *icon = reinterpret_cast<HICON>(result);
  return true;
}

bool RemoteProbe::StaticIcon(HWND control, HICON* icon) {
  LRESULT result = 0;
  if (!Send(control, STM_GETICON, 0, 0, &result)) return false;
  *icon = reinterpret_cast<HICON>(result);
  return true;
}

bool RemoteProbe::SystemIcon(const wchar_t* id, HICON* icon) {
  ProbeRequest request = {};
  request.op = kProbeLoadSystemIcon;
  request.wParam = static_cast<uint32_t>(reinterpret_cast<UINT_PTR>(id));
  if (!Run(&request)) return false;
  *icon = reinterpret_cast<HICON>(static_cast<UINT_PTR>(request.result));
  return true;
}

bool RemoteProbe::ExeIcon(int id, HICON* icon) {
  ProbeRequest request = {};
  request.op = kProbeLoadExeIcon;
  request.wParam = static_cast<uint32_t>(id);
  if (!Run(&request)) return false;
  *icon = reinterpret_cast<HICON>(static_cast<UINT_PTR>(request.result));
  return true;
}

bool RemoteProbe::DescribeIcon(HICON icon, IconFacts* facts) {
  ProbeRequest request = {};
  request.op = kProbeDescribeIcon;
  request.wParam = static_cast<uint32_t>(reinterpret_cast<UINT_PTR>(icon));
  if (!Run(&request)) return false;
  facts->width = request.width;
  facts->height = request.height;
  facts->centre = request.centre;
  return true;
}

bool RemoteProbe::ErrorMode(UINT* mode) {
  ProbeRequest request = {};
  request.op = kProbeErrorMode;
  if (!Run(&request)) return false;
  *mode = request.result;
  return true;
}

bool RemoteProbe::CommonControlsPath(std::wstring* path) {
  ProbeRequest request = {};
  request.op = kProbeCommonControlsPath;
  if (!Run(&request)) return false;
  request.text[ARRAYSIZE(request.text) - 1] = L'\0';
  *path = request.text;
  return true;
}

}  // namespace uidriver
