#include "harness.h"

#include <gtest/gtest.h>

#include <cwctype>
#include <set>

#include "owned.h"
#include "wait.h"
#include "window_query.h"

namespace e2e {

using uidriver::UniqueFind;
using uidriver::UniqueHandle;

namespace {

const DWORD kMaxFileBytes = 1 << 20;

std::wstring RequiredEnvironment(const wchar_t* name) {
  std::wstring value = Environment(name);
  if (value.empty()) {
    std::string utf8 = ToUtf8(name);
    std::fprintf(stderr, "e2e: %s is not set; run the tests through tests/e2e/run_e2e.sh\n",
                 utf8.c_str());
    std::exit(2);
  }
  return value;
}

// A name fit for a folder: parameterised tests have '/' in theirs.
std::wstring FolderName(const char* text) {
  std::wstring name = FromUtf8(text);
  for (wchar_t& c : name)
    if (c == L'/' || c == L'\\' || c == L':') c = L'_';
  return name;
}

void MakeFolders(const std::wstring& path) {
  for (size_t at = path.find(L'\\', 3); at != std::wstring::npos; at = path.find(L'\\', at + 1))
    ::CreateDirectoryW(path.substr(0, at).c_str(), nullptr);
  ::CreateDirectoryW(path.c_str(), nullptr);
}

void EmptyFolder(const std::wstring& path) {
  WIN32_FIND_DATAW found;
  UniqueFind search(::FindFirstFileW(JoinPath(path, L"*").c_str(), &found));
  if (!search) return;
  do {
    if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
      ::DeleteFileW(JoinPath(path, found.cFileName).c_str());
  } while (::FindNextFileW(search.get(), &found));
}

}  // namespace

std::wstring Environment(const wchar_t* name) {
  wchar_t value[1024];
  const DWORD length = ::GetEnvironmentVariableW(name, value, ARRAYSIZE(value));
  if (length == 0 || length >= ARRAYSIZE(value)) return std::wstring();
  return std::wstring(value, length);
}

const Paths& GetPaths() {
  static const Paths paths = [] {
    Paths p;
    p.app = RequiredEnvironment(L"E2E_APP");
    p.tools = RequiredEnvironment(L"E2E_TOOLS");
    p.fixtures = RequiredEnvironment(L"E2E_FIXTURES");
    p.artefacts = RequiredEnvironment(L"E2E_ARTEFACTS");
    p.work = Environment(L"E2E_WORK");
    if (p.work.empty()) p.work = L"C:\\e2e";
    return p;
  }();
  return paths;
}

std::wstring ProbeDll() { return JoinPath(GetPaths().tools, L"uiprobe.dll"); }

std::wstring Hex(unsigned long value, int digits) {
  wchar_t text[16];
  swprintf(text, ARRAYSIZE(text), L"0x%0*lX", digits, value);
  return text;
}

std::wstring Lower(std::wstring text) {
  for (wchar_t& c : text) c = static_cast<wchar_t>(::towlower(c));
  return text;
}

std::wstring JoinPath(const std::wstring& folder, const std::wstring& name) {
  if (folder.empty() || folder.back() == L'\\') return folder + name;
  return folder + L"\\" + name;
}

bool FileExists(const std::wstring& path) {
  return ::GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

std::string ReadFileBytes(const std::wstring& path) {
  UniqueHandle file(::CreateFileW(path.c_str(), GENERIC_READ,
                                  FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                  OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file) return std::string();
  std::string bytes(kMaxFileBytes, '\0');
  DWORD read = 0;
  if (!::ReadFile(file.get(), &bytes[0], kMaxFileBytes, &read, nullptr)) return std::string();
  bytes.resize(read);
  return bytes;
}

std::wstring FromUtf8(const std::string& text) {
  if (text.empty()) return std::wstring();
  const int size = ::MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()),
                                         nullptr, 0);
  std::wstring wide(size > 0 ? size : 0, L'\0');
  if (size > 0)
    ::MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), &wide[0], size);
  return wide;
}

std::string ToUtf8(const std::wstring& text) {
  if (text.empty()) return std::string();
  const int size = ::WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()),
                                         nullptr, 0, nullptr, nullptr);
  std::string utf8(size > 0 ? size : 0, '\0');
  if (size > 0)
    ::WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), &utf8[0], size,
                          nullptr, nullptr);
  return utf8;
}

ScopedEnvironment::ScopedEnvironment(const wchar_t* name, const std::wstring& value)
    : name_(name), old_(Environment(name)), hadOld_(!old_.empty()) {
  ::SetEnvironmentVariableW(name, value.c_str());
}

ScopedEnvironment::~ScopedEnvironment() {
  ::SetEnvironmentVariableW(name_.c_str(), hadOld_ ? old_.c_str() : nullptr);
}

TestFolder::TestFolder() {
  const testing::TestInfo* test = testing::UnitTest::GetInstance()->current_test_info();
  const std::wstring suite = test ? FolderName(test->test_suite_name()) : L"suite";
  const std::wstring name = test ? FolderName(test->name()) : L"setup";
  path_ = JoinPath(JoinPath(GetPaths().work, suite), name);
  MakeFolders(path_);
  EmptyFolder(path_);
}

bool TestFolder::Put(const std::wstring& source, const std::wstring& name) const {
  return ::CopyFileW(source.c_str(), File(name).c_str(), FALSE) != 0;
}

bool Notice::Start(const TestFolder& folder, const std::wstring& exeName) {
  window_ = nullptr;
  exePath_ = folder.File(exeName);
  if (!folder.Put(GetPaths().app, exeName)) {
    error_ = uidriver::LastErrorText(L"copying the program");
    return false;
  }
  return process_.Start(L"\"" + exePath_ + L"\"", folder.path(), &error_);
}

HWND Notice::WaitForWindow(DWORD timeoutMs) {
  uidriver::WindowMatch match;
  match.processId = process_.id();
  window_ = uidriver::WaitForTopLevelWindow(match, timeoutMs);
  if (window_ == nullptr)
    error_ = process_.Running() ? L"no window appeared within " + std::to_wstring(timeoutMs) + L" ms"
                                : L"the program ended without showing a window";
  return window_;
}

bool Notice::WaitForExit(DWORD timeoutMs, std::vector<std::wstring>* otherWindows) {
  std::set<HWND> seen;
  uidriver::WindowMatch match;
  match.processId = process_.id();
  match.exclude = window_;
  return uidriver::WaitUntil(timeoutMs, [&] {
    for (HWND other : uidriver::FindTopLevelWindows(match)) {
      if (seen.insert(other).second)
        otherWindows->push_back(uidriver::ClassName(other) + L" \"" + uidriver::WindowText(other) + L"\"");
    }
    return process_.WaitForExit(0);
  }, 20);
}

}  // namespace e2e
