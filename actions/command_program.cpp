#include "actions/command_program.h"

#include <cstdint>

#include "actions/win32_values.h"
#include "framework/bounded_text.h"

namespace {

// The largest environment variable Windows holds, terminator included. PATH is
// used whole or not at all: a cut entry could name another folder.
const uint32_t kEnvironmentUnits = 32767;

bool IsBlank(wchar_t c) { return c == L' ' || c == L'\t'; }
bool IsSeparator(wchar_t c) { return c == L'\\' || c == L'/'; }
bool IsLetter(wchar_t c) { return (c >= L'A' && c <= L'Z') || (c >= L'a' && c <= L'z'); }

bool Contains(const wchar_t* text, size_t length, wchar_t unit) {
  for (size_t i = 0; i < length; ++i)
    if (text[i] == unit) return true;
  return false;
}

// Neither the current folder nor the current drive changes what it names.
bool IsAbsolute(const wchar_t* path, size_t length) {
  if (length >= 3 && IsLetter(path[0]) && path[1] == L':' && IsSeparator(path[2])) return true;
  return length >= 2 && IsSeparator(path[0]) && IsSeparator(path[1]);
}

bool IsBareName(const wchar_t* text, size_t length) {
  for (size_t i = 0; i < length; ++i)
    if (IsSeparator(text[i]) || text[i] == L':') return false;
  return true;
}

bool EndsWithExe(const wchar_t* text, size_t length) {
  const wchar_t kExe[] = L".exe";
  const size_t kExeUnits = 4;
  if (length < kExeUnits) return false;
  for (size_t i = 0; i < kExeUnits; ++i) {
    wchar_t unit = text[length - kExeUnits + i];
    if (unit >= L'A' && unit <= L'Z') unit = static_cast<wchar_t>(unit - L'A' + L'a');
    if (unit != kExe[i]) return false;
  }
  return true;
}

// `path` becomes the first `length` units of `text`; false when they do not fit.
bool CopyPart(wchar_t (&path)[kPathUnits], const wchar_t* text, size_t length) {
  path[0] = L'\0';
  if (length >= kPathUnits) return false;
  for (size_t i = 0; i < length; ++i) path[i] = text[i];
  path[length] = L'\0';
  return true;
}

bool IsExistingFile(Platform& os, const wchar_t* path) {
  const uint32_t attributes = os.FileAttributes(path);
  return attributes != kInvalidFileAttributes && (attributes & kFileAttributeDirectory) == 0;
}

bool IsExistingAbsoluteFile(Platform& os, const wchar_t* text, size_t length,
                            wchar_t (&path)[kPathUnits]) {
  return IsAbsolute(text, length) && CopyPart(path, text, length) && IsExistingFile(os, path);
}

struct BareName {
  const wchar_t* text;
  size_t length;
  bool addExe;
};

// `path` becomes `folder`\`name` when that is an existing file and `folder` is absolute.
bool FindInFolder(Platform& os, const wchar_t* folder, size_t folderLength, const BareName& name,
                  wchar_t (&path)[kPathUnits]) {
  if (!IsAbsolute(folder, folderLength)) return false;
  const bool separated = IsSeparator(folder[folderLength - 1]);
  if (!CopyPart(path, folder, folderLength)) return false;
  bool fits = separated || AppendText(path, kPathUnits, L"\\");
  const size_t used = BoundedLength(path, kPathUnits);
  fits = fits && used + name.length < kPathUnits;
  if (fits) {
    for (size_t i = 0; i < name.length; ++i) path[used + i] = name.text[i];
    path[used + name.length] = L'\0';
    fits = !name.addExe || AppendText(path, kPathUnits, L".exe");
  }
  if (fits && IsExistingFile(os, path)) return true;
  path[0] = L'\0';
  return false;
}

// A text a call wrote into `buffer` fitted, and is `length` units long as it
// reported: no terminator sooner, so that no cut text names another folder.
bool IsWholeText(wchar_t* buffer, uint32_t length, size_t capacity) {
  if (length == 0 || length >= capacity) return false;
  buffer[length] = L'\0';
  return BoundedLength(buffer, length) == length;
}

using FolderQuery = uint32_t (Platform::*)(wchar_t*, uint32_t);

bool FindInSystemFolder(Platform& os, FolderQuery query, const BareName& name,
                        wchar_t (&path)[kPathUnits]) {
  wchar_t folder[kPathUnits] = {};
  const uint32_t length = (os.*query)(folder, kPathUnits);
  if (!IsWholeText(folder, length, kPathUnits)) return false;
  return FindInFolder(os, folder, length, name, path);
}

bool FindOnPath(Platform& os, const BareName& name, wchar_t (&path)[kPathUnits]) {
  wchar_t entries[kEnvironmentUnits] = {};
  const uint32_t length = os.EnvironmentVariable(L"PATH", entries, kEnvironmentUnits);
  if (!IsWholeText(entries, length, kEnvironmentUnits)) return false;
  for (size_t start = 0; start <= length;) {
    size_t end = start;
    while (end < length && entries[end] != L';') ++end;
    if (FindInFolder(os, entries + start, end - start, name, path)) return true;
    start = end + 1;
  }
  return false;
}

bool FindBareName(Platform& os, const wchar_t* text, size_t length, wchar_t (&path)[kPathUnits]) {
  if (length == 0 || Contains(text, length, L'"')) return false;
  const BareName name = {text, length, !Contains(text, length, L'.')};
  return FindInSystemFolder(os, &Platform::SystemDirectory, name, path) ||
         FindInSystemFolder(os, &Platform::WindowsDirectory, name, path) ||
         FindOnPath(os, name, path);
}

bool FindQuoted(Platform& os, const wchar_t* text, size_t length, wchar_t (&path)[kPathUnits]) {
  size_t close = 1;
  while (close < length && text[close] != L'"') ++close;
  if (close == length) return false;
  if (close + 1 < length && !IsBlank(text[close + 1])) return false;
  const wchar_t* quoted = text + 1;
  const size_t quotedLength = close - 1;
  if (IsBareName(quoted, quotedLength)) return FindBareName(os, quoted, quotedLength, path);
  return IsExistingAbsoluteFile(os, quoted, quotedLength, path);
}

bool FindUnquoted(Platform& os, const wchar_t* text, size_t length, wchar_t (&path)[kPathUnits]) {
  size_t word = 0;
  while (word < length && !IsBlank(text[word])) ++word;
  if (IsBareName(text, word)) return FindBareName(os, text, word, path);
  if (!IsAbsolute(text, length)) return false;
  // The shortest, so that an argument is never taken for part of the path.
  for (size_t end = word; end <= length; ++end) {
    if (end < length && !IsBlank(text[end])) continue;
    if (Contains(text, end, L'"')) return false;
    if (EndsWithExe(text, end) && IsExistingAbsoluteFile(os, text, end, path)) return true;
  }
  return false;
}

}  // namespace

bool FindProgram(Platform& os, const wchar_t* commandLine, wchar_t (&program)[kPathUnits]) {
  program[0] = L'\0';
  const size_t length = BoundedLength(commandLine, kCommandLineUnits);
  if (length == kCommandLineUnits) return false;
  size_t start = 0;
  while (start < length && IsBlank(commandLine[start])) ++start;
  const wchar_t* text = commandLine + start;
  const size_t rest = length - start;
  if (rest == 0) return false;
  const bool found = text[0] == L'"' ? FindQuoted(os, text, rest, program)
                                     : FindUnquoted(os, text, rest, program);
  if (!found) program[0] = L'\0';
  return found;
}
