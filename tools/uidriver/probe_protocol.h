// What the driver asks of its probe DLL inside a process under test: questions
// that Wine answers only in the process that owns the window or handle
// (icons of a window, the process's error mode).
//
// The driver hooks the target's UI thread (WH_GETMESSAGE) with the probe DLL,
// which Wine then loads into the target, writes a request into shared memory
// named after the target's process id, and posts the probe message to one of
// the thread's windows. The hook answers into the same memory. (Reading and
// writing another process's memory fails when Wine runs under qemu-user.)
#pragma once

#include <cstdint>

namespace uidriver {

enum ProbeOp : uint32_t {
  kProbeSendMessage = 1,  // result = SendMessageW(window, message, wParam, lParam)
  kProbeLoadSystemIcon,   // result = LoadIconW(nullptr, MAKEINTRESOURCE(wParam))
  kProbeLoadExeIcon,      // result = LoadIconW(GetModuleHandle(nullptr), MAKEINTRESOURCE(wParam))
  kProbeDescribeIcon,     // icon wParam: width, height and the colour at its centre
  kProbeErrorMode,        // result = GetErrorMode()
  kProbeCommonControlsPath,  // text = the path of the loaded comctl32; empty: none
};

struct ProbeRequest {
  uint32_t sequence;  // the driver's number for this request
  uint32_t op;
  uint32_t window;
  uint32_t message;
  uint32_t wParam;
  uint32_t lParam;
  // Answers, valid once `answered` equals `sequence`.
  uint32_t answered;
  uint32_t understood;
  uint32_t result;
  int32_t width;
  int32_t height;
  uint32_t centre;  // 0x00RRGGBB
  wchar_t text[260];  // terminated within its size
};

// The shared memory's name: this prefix and the target's process id.
#define UIPROBE_SHARED_PREFIX L"uidriver.probe."
// The registered message that makes the hook look at the request.
#define UIPROBE_MESSAGE L"uidriver.probe.request"
// The DLL's hook procedure.
#define UIPROBE_HOOK "ProbeHook"

}  // namespace uidriver
