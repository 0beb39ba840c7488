#include "platform/sim/SimFileSystem.h"

namespace vp::platform::sim {
namespace {

char UpperLetter(char letter) {
  return (letter >= 'a' && letter <= 'z') ? static_cast<char>(letter - 32) : letter;
}

}  // namespace

void SimFileSystem::MapDrive(char letter, const std::filesystem::path& hostFolder, DriveType type) {
  std::lock_guard lock(mutex_);
  drives_[UpperLetter(letter)] = Drive{hostFolder, type};
}

void SimFileSystem::UnmapDrive(char letter) {
  std::lock_guard lock(mutex_);
  drives_.erase(UpperLetter(letter));
}

DriveType SimFileSystem::DriveTypeOf(char letter) const {
  std::lock_guard lock(mutex_);
  auto it = drives_.find(UpperLetter(letter));
  return it == drives_.end() ? DriveType::NoRootDir : it->second.type;
}

std::string SimFileSystem::LogicalDriveLetters() const {
  std::lock_guard lock(mutex_);
  std::string letters;
  for (const auto& [letter, drive] : drives_) letters += letter;
  return letters;
}

}  // namespace vp::platform::sim
