#pragma once

// One move-only owner for the system's handles, parametrised by how a kind
// of handle is closed and which value means "none". A handle is closed
// exactly once: by Close, or when its owner goes.

#include <windows.h>

#include <utility>

namespace vp::platform::win32 {

template <typename Traits>
class ScopedHandle {
 public:
  using Handle = typename Traits::Handle;

  ScopedHandle() = default;
  explicit ScopedHandle(Handle handle) noexcept : handle_(handle) {}
  ~ScopedHandle() { Close(); }
  ScopedHandle(ScopedHandle&& other) noexcept : handle_(std::exchange(other.handle_, Traits::kInvalid)) {}
  ScopedHandle& operator=(ScopedHandle&& other) noexcept {
    if (this != &other) {
      Close();
      handle_ = std::exchange(other.handle_, Traits::kInvalid);
    }
    return *this;
  }
  ScopedHandle(const ScopedHandle&) = delete;
  ScopedHandle& operator=(const ScopedHandle&) = delete;

  bool Valid() const { return handle_ != Traits::kInvalid; }
  Handle Get() const { return handle_; }
  // Hands the handle to a new owner (a window that destroys its menu).
  Handle Release() noexcept { return std::exchange(handle_, Traits::kInvalid); }
  // Closes now; false when the system reported the close as failed (for a
  // file written through this handle: its data may not have been stored).
  bool Close() noexcept {
    if (!Valid()) return true;
    return Traits::Close(std::exchange(handle_, Traits::kInvalid));
  }

 private:
  Handle handle_ = Traits::kInvalid;
};

// Handles from CreateFile: INVALID_HANDLE_VALUE means none.
struct FileHandleTraits {
  using Handle = HANDLE;
  static inline const Handle kInvalid = INVALID_HANDLE_VALUE;
  static bool Close(Handle handle) { return CloseHandle(handle) != 0; }
};

// Handles from FindFirstFile: INVALID_HANDLE_VALUE means none.
struct FindHandleTraits {
  using Handle = HANDLE;
  static inline const Handle kInvalid = INVALID_HANDLE_VALUE;
  static bool Close(Handle handle) { return FindClose(handle) != 0; }
};

// Process and thread handles: null means none.
struct KernelHandleTraits {
  using Handle = HANDLE;
  static constexpr Handle kInvalid = nullptr;
  static bool Close(Handle handle) { return CloseHandle(handle) != 0; }
};

using FileHandle = ScopedHandle<FileHandleTraits>;
using FindHandle = ScopedHandle<FindHandleTraits>;
using KernelHandle = ScopedHandle<KernelHandleTraits>;

}  // namespace vp::platform::win32
