#include "framework/message_box_style.h"

#include <gtest/gtest.h>

namespace {

TEST(MessageBoxStyle, AnIconIsAddedOnlyWhenTheCallerNamedNone) {
  struct Case {
    unsigned style, expected;
  } cases[] = {
      {0x00, 0x30},    // MB_OK: exclamation
      {0x01, 0x31},    // MB_OKCANCEL: exclamation
      {0x02, 0x02},    // MB_ABORTRETRYIGNORE: none
      {0x03, 0x23},    // MB_YESNOCANCEL: question
      {0x04, 0x24},    // MB_YESNO: question
      {0x05, 0x05},    // MB_RETRYCANCEL: none
      {0x10, 0x10},    // MB_OK | MB_ICONERROR: kept
      {0x44, 0x44},    // MB_YESNO | MB_ICONINFORMATION: kept
      {0x1000, 0x1030},  // other bits pass through
  };
  for (const Case& c : cases) {
    EXPECT_EQ(c.expected, MessageBoxStyle(c.style)) << "for style 0x" << std::hex << c.style;
  }
}

}  // namespace
