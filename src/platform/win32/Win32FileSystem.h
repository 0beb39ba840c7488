#pragma once

#include "platform/FileSystem.h"

namespace vp::platform::win32 {

class Win32FileSystem : public FileSystem {
 public:
  DriveType DriveTypeOf(char letter) const override;
  std::string LogicalDriveLetters() const override;
};

}  // namespace vp::platform::win32
