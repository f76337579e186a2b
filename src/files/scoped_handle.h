// Ownership of a kernel handle: closed when the owner goes out of scope, or
// earlier by Close() where the order of closing matters.
#pragma once

#include <windows.h>

namespace varnock {

class ScopedHandle {
 public:
  ScopedHandle() = default;
  explicit ScopedHandle(HANDLE handle) : handle_(handle) {}
  ~ScopedHandle() { Close(); }
  ScopedHandle(const ScopedHandle &) = delete;
  ScopedHandle &operator=(const ScopedHandle &) = delete;
  ScopedHandle(ScopedHandle &&other) noexcept : handle_(other.handle_) { other.handle_ = nullptr; }

  // Null and INVALID_HANDLE_VALUE both mean "no handle": APIs differ in
  // which one they give on failure.
  bool valid() const { return handle_ != nullptr && handle_ != INVALID_HANDLE_VALUE; }
  HANDLE get() const { return handle_; }
  HANDLE *receive() {
    Close();
    return &handle_;
  }
  // False when closing failed, which for a written file can mean that the
  // last of its data did not reach the disk.
  bool Close() {
    const bool closed = !valid() || CloseHandle(handle_) != 0;
    handle_ = nullptr;
    return closed;
  }

 private:
  HANDLE handle_ = nullptr;
};

}  // namespace varnock
