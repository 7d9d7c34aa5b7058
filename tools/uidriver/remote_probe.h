// Questions asked inside a process under test. Wine refuses some questions
// across processes (WM_GETICON, STM_GETICON) and answers others with the
// asker's own state (NtQueryInformationProcess for the error mode); the probe
// DLL, hooked into the target's UI thread, asks them there.
//
// Use:
//  1. Attach to a window of the target's UI thread.
//  2. Ask: each call is answered by the hook the next time that thread
//     takes a message, so the thread must be running a message loop.
//  3. The destructor removes the hook and the shared memory.
#pragma once

#include <windows.h>

#include <string>

#include "owned.h"
#include "probe_protocol.h"

namespace uidriver {

struct IconFacts {
  int width = 0;
  int height = 0;
  COLORREF centre = 0;  // 0x00RRGGBB
};

class RemoteProbe {
 public:
  RemoteProbe() = default;
  ~RemoteProbe() { Detach(); }
  RemoteProbe(const RemoteProbe&) = delete;
  RemoteProbe& operator=(const RemoteProbe&) = delete;

  // `window` names the thread to hook and receives the probe's messages.
  bool Attach(HWND window, const std::wstring& probeDllPath, std::wstring* error);

  // SendMessageW from inside the target, for messages whose answer is only
  // good there.
  bool Send(HWND window, UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result);
  bool WindowIcon(HWND window, int which, HICON* icon);  // which: ICON_BIG, ICON_SMALL
  bool StaticIcon(HWND control, HICON* icon);
  // The shared handle LoadIcon gives inside the target, which is the handle
  // any other LoadIcon of the same icon there got.
  bool SystemIcon(const wchar_t* id, HICON* icon);
  bool ExeIcon(int id, HICON* icon);
  bool DescribeIcon(HICON icon, IconFacts* facts);
  bool ErrorMode(UINT* mode);
  // The file of the comctl32 loaded in the target; empty when none is.
  bool CommonControlsPath(std::wstring* path);

  const std::wstring& lastError() const { return error_; }

 private:
  struct HookTraits {
    using Value = HHOOK;
    static Value Invalid() { return nullptr; }
    static bool IsValid(Value h) { return h != nullptr; }
    static void Close(Value h) { ::UnhookWindowsHookEx(h); }
  };
  struct ViewTraits {
    using Value = void*;
    static Value Invalid() { return nullptr; }
    static bool IsValid(Value v) { return v != nullptr; }
    static void Close(Value v) { ::UnmapViewOfFile(v); }
  };

  bool Run(ProbeRequest* request);
  void Detach();

  HWND window_ = nullptr;
  UINT message_ = 0;
  uint32_t sequence_ = 0;
  UniqueModule probe_;
  Owned<HookTraits> hook_;
  UniqueHandle mapping_;
  Owned<ViewTraits> view_;
  std::wstring error_;
};

}  // namespace uidriver
