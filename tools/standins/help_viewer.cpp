// Stand-in for the help viewer, installed over winhlp32.exe in the test prefix.
//
// WinHelp looks for a window of class "MS_WINHELP", starts "winhlp32.exe -x"
// when there is none, and sends that window WM_COPYDATA with the request: a
// 16-byte header (size, command, data, reserved, file-name offset, data
// offset) followed by the help file's name in the ANSI code page. We answer
// one request and exit:
//   E2E_HELP_RECORD  file to which a line "command=C data=0xD file=F" is
//                    appended (UTF-8)
//   E2E_HELP_FAIL    when set, the request is refused, so WinHelp fails
#include <windows.h>

#include <cstdio>
#include <cstring>
#include <string>

namespace {

const wchar_t kClassName[] = L"MS_WINHELP";
// WinHelp marks its WM_COPYDATA with this value.
const ULONG_PTR kHelpMark = 0xA1DE505;
// Nobody asked within this time: leave rather than linger.
const UINT kIdleLimitMs = 30000;
const UINT_PTR kIdleTimer = 1;

#pragma pack(push, 1)
struct HelpRequest {
  WORD size;
  WORD command;
  LONG data;
  LONG reserved;
  WORD fileOffset;
  WORD dataOffset;
};
#pragma pack(pop)

std::wstring Environment(const wchar_t* name) {
  wchar_t value[MAX_PATH];
  const DWORD length = ::GetEnvironmentVariableW(name, value, ARRAYSIZE(value));
  if (length == 0 || length >= ARRAYSIZE(value)) return std::wstring();
  return std::wstring(value, length);
}

// The file name that follows the header, within the bytes that came.
std::wstring FileName(const BYTE* bytes, DWORD count, const HelpRequest& request) {
  if (request.fileOffset < sizeof request || request.fileOffset >= count) return std::wstring();
  const char* name = reinterpret_cast<const char*>(bytes + request.fileOffset);
  const DWORD room = count - request.fileOffset;
  int length = 0;
  while (static_cast<DWORD>(length) < room && name[length] != '\0') ++length;
  if (length == 0) return std::wstring();
  std::wstring wide(length, L'\0');
  const int converted = ::MultiByteToWideChar(CP_ACP, 0, name, length, &wide[0], length);
  wide.resize(converted > 0 ? converted : 0);
  return wide;
}

std::string Utf8(const std::wstring& text) {
  if (text.empty()) return std::string();
  const int size = ::WideCharToMultiByte(CP_UTF8, 0, text.c_str(), static_cast<int>(text.size()),
                                         nullptr, 0, nullptr, nullptr);
  std::string utf8(size > 0 ? size : 0, '\0');
  if (size > 0)
    ::WideCharToMultiByte(CP_UTF8, 0, text.c_str(), static_cast<int>(text.size()), &utf8[0],
                          size, nullptr, nullptr);
  return utf8;
}

void Record(const HelpRequest& request, const std::wstring& file) {
  const std::wstring path = Environment(L"E2E_HELP_RECORD");
  if (path.empty()) return;
  char head[64];
  std::snprintf(head, sizeof head, "command=%u data=0x%08lX file=", request.command,
                static_cast<unsigned long>(request.data));
  const std::string line = head + Utf8(file) + "\n";
  HANDLE out = ::CreateFileW(path.c_str(), FILE_APPEND_DATA, FILE_SHARE_READ, nullptr,
                             OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (out == INVALID_HANDLE_VALUE) return;
  DWORD written = 0;
  ::WriteFile(out, line.data(), static_cast<DWORD>(line.size()), &written, nullptr);
  ::CloseHandle(out);
}

LRESULT CALLBACK ViewerProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_COPYDATA: {
      const auto* data = reinterpret_cast<const COPYDATASTRUCT*>(lParam);
      if (data == nullptr || data->dwData != kHelpMark || data->cbData < sizeof(HelpRequest))
        return FALSE;
      const auto* bytes = static_cast<const BYTE*>(data->lpData);
      HelpRequest request;
      memcpy(&request, bytes, sizeof request);
      Record(request, FileName(bytes, data->cbData, request));
      ::PostQuitMessage(0);
      return Environment(L"E2E_HELP_FAIL").empty() ? TRUE : FALSE;
    }
    case WM_TIMER:
      ::PostQuitMessage(1);
      return 0;
    default:
      return ::DefWindowProcW(window, message, wParam, lParam);
  }
}

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, LPWSTR, int) {
  WNDCLASSW viewerClass = {};
  viewerClass.lpfnWndProc = &ViewerProc;
  viewerClass.hInstance = instance;
  viewerClass.lpszClassName = kClassName;
  if (!::RegisterClassW(&viewerClass)) return 1;
  HWND window = ::CreateWindowW(kClassName, L"", WS_OVERLAPPED, 0, 0, 0, 0, nullptr, nullptr,
                                instance, nullptr);
  if (window == nullptr) return 1;
  ::SetTimer(window, kIdleTimer, kIdleLimitMs, nullptr);

  MSG message;
  while (::GetMessageW(&message, nullptr, 0, 0) > 0) ::DispatchMessageW(&message);
  ::DestroyWindow(window);
  return static_cast<int>(message.wParam);
}
