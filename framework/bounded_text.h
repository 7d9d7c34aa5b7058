// Copying and appending NUL-terminated UTF-16 text into fixed-size buffers.
// Every function writes at most `capacity` units, always leaves the buffer
// terminated, and says whether the whole source fitted.
#pragma once

#include <cstddef>

// Units before the first NUL, looking at no more than `limit` units.
size_t BoundedLength(const wchar_t* text, size_t limit);

// Replaces the buffer's content with `source`; false (and an empty buffer)
// when it does not fit.
bool CopyText(wchar_t* buffer, size_t capacity, const wchar_t* source);

// Appends `source` to the text already in the buffer; false (buffer unchanged)
// when the result would not fit.
bool AppendText(wchar_t* buffer, size_t capacity, const wchar_t* source);
