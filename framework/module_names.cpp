#include "framework/module_names.h"

#include "framework/bounded_text.h"

namespace {

const size_t kNoLimit = static_cast<size_t>(-1);

bool IsSeparator(wchar_t c) { return c == L'\\' || c == L'/' || c == L':'; }

// Where the file-name part of the path begins.
size_t NameStart(const wchar_t* path, size_t length) {
  size_t start = length;
  while (start > 0 && !IsSeparator(path[start - 1])) --start;
  return start;
}

// Length of the path without the file name's extension, if it has one.
size_t StemLength(const wchar_t* path) {
  const size_t length = BoundedLength(path, kNoLimit);
  const size_t nameStart = NameStart(path, length);
  for (size_t i = length; i > nameStart; --i)
    if (path[i - 1] == L'.') return i - 1;
  return length;
}

bool CopyRange(const wchar_t* source, size_t count, wchar_t* buffer, size_t capacity) {
  if (count >= capacity) {
    if (capacity > 0) buffer[0] = L'\0';
    return false;
  }
  for (size_t i = 0; i < count; ++i) buffer[i] = source[i];
  buffer[count] = L'\0';
  return true;
}

bool StemWithSuffix(const wchar_t* path, const wchar_t* first, const wchar_t* second,
                    wchar_t* buffer, size_t capacity) {
  return CopyRange(path, StemLength(path), buffer, capacity) &&
         AppendText(buffer, capacity, first) && AppendText(buffer, capacity, second);
}

uint16_t PrimaryLanguage(uint16_t language) { return language & 0x3FF; }

void AddOnce(uint16_t language, uint16_t order[4], int* count) {
  for (int i = 0; i < *count; ++i)
    if (order[i] == language) return;
  order[(*count)++] = language;
}

}  // namespace

bool AppNameFromModulePath(const wchar_t* path, wchar_t* name, size_t capacity) {
  const size_t stem = StemLength(path);
  const size_t start = NameStart(path, stem);
  return CopyRange(path + start, stem - start, name, capacity);
}

bool HelpFilePath(const wchar_t* path, wchar_t* help, size_t capacity) {
  return StemWithSuffix(path, L".HLP", L"", help, capacity);
}

bool SatelliteModulePath(const wchar_t* path, const wchar_t* abbreviation,
                         wchar_t* satellite, size_t capacity) {
  return StemWithSuffix(path, abbreviation, L".dll", satellite, capacity);
}

int SatelliteLanguageOrder(uint16_t userLanguage, uint16_t systemLanguage,
                           uint16_t order[4]) {
  int count = 0;
  AddOnce(userLanguage, order, &count);
  AddOnce(systemLanguage, order, &count);
  AddOnce(PrimaryLanguage(userLanguage), order, &count);
  AddOnce(PrimaryLanguage(systemLanguage), order, &count);
  return count;
}
