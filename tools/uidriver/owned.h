// Owners of what the driver opens: each holds one handle and releases it once,
// through the call that matches its kind, when it goes out of scope.
#pragma once

#include <windows.h>

#include <utility>

namespace uidriver {

template <class Traits>
class Owned {
 public:
  using Value = typename Traits::Value;

  Owned() = default;
  explicit Owned(Value value) : value_(value) {}
  ~Owned() { Reset(); }
  Owned(Owned&& other) noexcept : value_(other.Release()) {}
  Owned& operator=(Owned&& other) noexcept {
    if (this != &other) Reset(other.Release());
    return *this;
  }
  Owned(const Owned&) = delete;
  Owned& operator=(const Owned&) = delete;

  Value get() const { return value_; }
  explicit operator bool() const { return Traits::IsValid(value_); }

  void Reset(Value value = Traits::Invalid()) {
    if (Traits::IsValid(value_)) Traits::Close(value_);
    value_ = value;
  }
  Value Release() { return std::exchange(value_, Traits::Invalid()); }

 private:
  Value value_ = Traits::Invalid();
};

struct KernelHandleTraits {
  using Value = HANDLE;
  static Value Invalid() { return nullptr; }
  static bool IsValid(Value h) { return h != nullptr && h != INVALID_HANDLE_VALUE; }
  static void Close(Value h) { ::CloseHandle(h); }
};

struct FindHandleTraits {
  using Value = HANDLE;
  static Value Invalid() { return INVALID_HANDLE_VALUE; }
  static bool IsValid(Value h) { return h != INVALID_HANDLE_VALUE; }
  static void Close(Value h) { ::FindClose(h); }
};

struct ModuleTraits {
  using Value = HMODULE;
  static Value Invalid() { return nullptr; }
  static bool IsValid(Value m) { return m != nullptr; }
  static void Close(Value m) { ::FreeLibrary(m); }
};

struct RegistryKeyTraits {
  using Value = HKEY;
  static Value Invalid() { return nullptr; }
  static bool IsValid(Value k) { return k != nullptr; }
  static void Close(Value k) { ::RegCloseKey(k); }
};

struct GdiObjectTraits {
  using Value = HGDIOBJ;
  static Value Invalid() { return nullptr; }
  static bool IsValid(Value o) { return o != nullptr; }
  static void Close(Value o) { ::DeleteObject(o); }
};

struct MemoryDcTraits {
  using Value = HDC;
  static Value Invalid() { return nullptr; }
  static bool IsValid(Value dc) { return dc != nullptr; }
  static void Close(Value dc) { ::DeleteDC(dc); }
};

using UniqueHandle = Owned<KernelHandleTraits>;
using UniqueFind = Owned<FindHandleTraits>;
using UniqueModule = Owned<ModuleTraits>;
using UniqueKey = Owned<RegistryKeyTraits>;
using UniqueGdiObject = Owned<GdiObjectTraits>;
using UniqueMemoryDc = Owned<MemoryDcTraits>;

// A window's device context, released to that window.
class WindowDc {
 public:
  explicit WindowDc(HWND window) : window_(window), dc_(::GetDC(window)) {}
  ~WindowDc() {
    if (dc_ != nullptr) ::ReleaseDC(window_, dc_);
  }
  WindowDc(const WindowDc&) = delete;
  WindowDc& operator=(const WindowDc&) = delete;
  HDC get() const { return dc_; }

 private:
  HWND window_;
  HDC dc_;
};

}  // namespace uidriver
