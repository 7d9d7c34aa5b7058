// Owners of what the actions open: each closes its handle once, through the
// call that matches its kind, on every way out of the scope that holds it.
#pragma once

#include "actions/platform.h"

template <class Closer>
class Owned {
 public:
  explicit Owned(Platform& os, Handle handle = kNoHandle) : os_(os), handle_(handle) {}
  ~Owned() { Close(); }
  Owned(const Owned&) = delete;
  Owned& operator=(const Owned&) = delete;

  Handle get() const { return handle_; }

  // For the out-parameter of an opening call; whatever was held is closed first.
  Handle* Receive() {
    Close();
    return &handle_;
  }

  void Reset(Handle handle) {
    Close();
    handle_ = handle;
  }

  void Close() {
    if (handle_ == kNoHandle) return;
    Closer::Close(os_, handle_);
    handle_ = kNoHandle;
  }

 private:
  Platform& os_;
  Handle handle_;
};

struct KeyCloser {
  static void Close(Platform& os, Handle key) { os.CloseKey(key); }
};
struct HandleCloser {
  static void Close(Platform& os, Handle handle) { os.CloseHandle(handle); }
};

using OwnedKey = Owned<KeyCloser>;
using OwnedHandle = Owned<HandleCloser>;
