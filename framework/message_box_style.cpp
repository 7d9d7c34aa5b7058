#include "framework/message_box_style.h"

namespace {
// Bit values of the Windows message-box styles; this file builds without windows.h.
const unsigned kIconMask = 0xF0;
const unsigned kButtonMask = 0x0F;
const unsigned kOk = 0x0, kOkCancel = 0x1, kYesNoCancel = 0x3, kYesNo = 0x4;
const unsigned kIconExclamation = 0x30, kIconQuestion = 0x20;
}  // namespace

unsigned MessageBoxStyle(unsigned style) {
  if ((style & kIconMask) != 0) return style;
  switch (style & kButtonMask) {
    case kOk:
    case kOkCancel:
      return style | kIconExclamation;
    case kYesNoCancel:
    case kYesNo:
      return style | kIconQuestion;
    default:
      return style;
  }
}
