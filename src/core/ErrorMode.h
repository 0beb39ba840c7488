#pragma once

// Critical-error dialogs (a drive without media) are off while a scan or a
// cache build runs. The error mode belongs to the whole process and such
// work can overlap, so the guards nest: the first one turns the dialogs off
// and saves the mode it found, the last one to end restores it.

#include <cstdint>

namespace vp {

class TErrorModeGuard {
 public:
  TErrorModeGuard();
  ~TErrorModeGuard();
  TErrorModeGuard(const TErrorModeGuard&) = delete;
  TErrorModeGuard& operator=(const TErrorModeGuard&) = delete;
};

}  // namespace vp
