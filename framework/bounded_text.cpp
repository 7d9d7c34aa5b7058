#include "framework/bounded_text.h"

size_t BoundedLength(const wchar_t* text, size_t limit) {
  size_t length = 0;
  while (length < limit && text[length] != L'\0') ++length;
  return length;
}

bool CopyText(wchar_t* buffer, size_t capacity, const wchar_t* source) {
  if (capacity == 0) return false;
  buffer[0] = L'\0';
  return AppendText(buffer, capacity, source);
}

bool AppendText(wchar_t* buffer, size_t capacity, const wchar_t* source) {
  const size_t used = BoundedLength(buffer, capacity);
  if (used == capacity) return false;
  const size_t added = BoundedLength(source, capacity - used);
  if (used + added >= capacity) return false;
  for (size_t i = 0; i < added; ++i) buffer[used + i] = source[i];
  buffer[used + added] = L'\0';
  return true;
}
