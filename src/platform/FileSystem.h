#pragma once

#include <string>

namespace vp::platform {

// The values of GetDriveType.
enum class DriveType : int {
  Unknown = 0,
  NoRootDir = 1,
  Removable = 2,
  Fixed = 3,
  Remote = 4,
  CdRom = 5,
  RamDisk = 6,
};

// Files, folders and drives. Paths are 8-bit text in the system code page.
class FileSystem {
 public:
  virtual ~FileSystem() = default;

  // The type of the drive with this letter (either case).
  virtual DriveType DriveTypeOf(char letter) const = 0;

  // The letters of every drive present, upper case, in order.
  virtual std::string LogicalDriveLetters() const = 0;
};

}  // namespace vp::platform
