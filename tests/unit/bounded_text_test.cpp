#include "framework/bounded_text.h"

#include <gtest/gtest.h>

#include <cwchar>

namespace {

TEST(BoundedText, CopyFitsOnlyWithRoomForTheTerminator) {
  struct Case {
    const wchar_t* source;
    size_t capacity;
    bool fits;
    const wchar_t* result;
  } cases[] = {
      {L"abc", 4, true, L"abc"},  // exactly fits with its NUL
      {L"abc", 3, false, L""},    // one unit short: refused, left empty
      {L"", 1, true, L""},
  };
  for (const Case& c : cases) {
    wchar_t buffer[8];
    wmemset(buffer, L'#', 8);
    EXPECT_EQ(c.fits, CopyText(buffer, c.capacity, c.source)) << "copying " << c.source;
    EXPECT_STREQ(c.result, buffer) << "copying " << c.source << " into " << c.capacity;
    EXPECT_EQ(L'#', buffer[c.capacity]) << "wrote past the capacity for " << c.source;
  }
}

TEST(BoundedText, AppendLeavesTheBufferUnchangedWhenTheResultWouldNotFit) {
  wchar_t buffer[6] = L"ab";
  EXPECT_TRUE(AppendText(buffer, 6, L"cde"));
  EXPECT_STREQ(L"abcde", buffer);
  EXPECT_FALSE(AppendText(buffer, 6, L"f"));
  EXPECT_STREQ(L"abcde", buffer);
}

TEST(BoundedText, AppendRefusesABufferThatHoldsNoTerminator) {
  wchar_t buffer[3] = {L'x', L'y', L'z'};
  EXPECT_FALSE(AppendText(buffer, 3, L""));
  EXPECT_EQ(L'z', buffer[2]);
}

TEST(BoundedText, LengthStopsAtTheLimit) {
  const wchar_t unterminated[3] = {L'a', L'b', L'c'};
  EXPECT_EQ(3u, BoundedLength(unterminated, 3));
  EXPECT_EQ(1u, BoundedLength(L"a\0b", 3));
}

}  // namespace
