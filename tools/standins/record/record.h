// What the stand-ins tell a test: lines "<pid> <name>=<value>" in UTF-8,
// appended to a file the test names. Every program writes its lines in one
// write, so those of another running at the same time never come between them.
#pragma once

#include <windows.h>

#include <string>

#include "owned.h"

namespace standin {

// The variable's value; empty when it is unset or longer than the buffer.
inline std::wstring Environment(const wchar_t* name) {
  wchar_t value[1024];
  const DWORD length = ::GetEnvironmentVariableW(name, value, ARRAYSIZE(value));
  if (length == 0 || length >= ARRAYSIZE(value)) return std::wstring();
  return std::wstring(value, length);
}

inline std::string Utf8(const std::wstring& text) {
  if (text.empty()) return std::string();
  const int size = ::WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()),
                                         nullptr, 0, nullptr, nullptr);
  std::string utf8(size > 0 ? size : 0, '\0');
  if (size > 0)
    ::WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), &utf8[0], size,
                          nullptr, nullptr);
  return utf8;
}

inline std::wstring Hex(unsigned long value) {
  wchar_t text[16];
  wsprintfW(text, L"0x%08lX", value);
  return text;
}

// The lines of one write.
class Record {
 public:
  explicit Record(const std::wstring& path) : path_(path) {}

  void Add(const char* name, const std::wstring& value) {
    lines_ += std::to_string(::GetCurrentProcessId()) + " " + name + "=" + Utf8(value) + "\n";
  }

  // Appends what was added and starts afresh; false when the file cannot be
  // written (or no file was named).
  bool Write() {
    const std::string lines = std::move(lines_);
    lines_.clear();
    if (path_.empty()) return false;
    uidriver::UniqueHandle file(::CreateFileW(
        path_.c_str(), FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
        nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) return false;
    DWORD written = 0;
    return ::WriteFile(file.get(), lines.data(), static_cast<DWORD>(lines.size()), &written,
                       nullptr) &&
           written == lines.size();
  }

 private:
  std::wstring path_;
  std::string lines_;
};

}  // namespace standin
