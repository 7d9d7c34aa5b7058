// The Windows API values the actions pass and compare, written out here
// because the logic builds without windows.h; win32_platform.cpp checks each
// against the SDK headers.
#pragma once

#include <cstdint>

const long kErrorSuccess = 0;
const long kErrorFileNotFound = 2;

const uint32_t kKeyRead = 0x20019;
const uint32_t kKeyNotify = 0x0010;
const uint32_t kRegSz = 1;
const uint32_t kRegExpandSz = 2;
const uint32_t kRegNotifyChangeName = 0x1;

const uint32_t kInvalidFileAttributes = 0xFFFFFFFF;
const uint32_t kFileAttributeDirectory = 0x10;

// sizeof(STARTUPINFOW) in a 32-bit process.
const uint32_t kStartupInfoSize = 68;
const uint32_t kStartfUseShowWindow = 0x1;
const uint32_t kStartfUseStdHandles = 0x100;
const uint16_t kSwShowNormal = 1;
const uint32_t kCreateSuspended = 0x4;
const uint32_t kResumeThreadFailed = 0xFFFFFFFF;
const uint32_t kSynchronize = 0x00100000;

const uint32_t kWaitObject0 = 0;
const uint32_t kWaitTimeout = 0x102;
const uint32_t kWaitFailed = 0xFFFFFFFF;
const uint32_t kInfinite = 0xFFFFFFFF;
// MsgWaitForMultipleObjects takes one handle less than MAXIMUM_WAIT_OBJECTS.
const uint32_t kMaxWaitHandles = 63;
const uint32_t kQsSendMessage = 0x40;
const uint32_t kPmNoRemove = 0x0;
const uint32_t kPmQsSendMessage = kQsSendMessage << 16;

const uint32_t kMbOk = 0x0;
const uint32_t kMbIconError = 0x10;
const uint32_t kMbIconExclamation = 0x30;
