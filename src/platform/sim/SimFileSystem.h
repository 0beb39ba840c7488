#pragma once

#include <filesystem>
#include <map>
#include <mutex>

#include "platform/FileSystem.h"

namespace vp::platform::sim {

// Drive letters mapped to host folders, each with a drive type.
class SimFileSystem : public FileSystem {
 public:
  struct Drive {
    std::filesystem::path hostFolder;
    DriveType type = DriveType::Fixed;
  };

  // Maps a letter (either case) to a host folder; replaces an earlier mapping.
  void MapDrive(char letter, const std::filesystem::path& hostFolder, DriveType type);
  void UnmapDrive(char letter);

  DriveType DriveTypeOf(char letter) const override;
  std::string LogicalDriveLetters() const override;

 private:
  mutable std::mutex mutex_;
  std::map<char, Drive> drives_;  // keyed by the upper-case letter
};

}  // namespace vp::platform::sim
