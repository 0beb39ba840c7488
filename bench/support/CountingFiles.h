#pragma once

// A file system that counts the existence tests made through it, and the
// time they take, and passes every call on to the one it wraps: how much of
// a scan's time goes to the disk rather than to the registry.

#include <atomic>
#include <cstdint>

#include "platform/FileSystem.h"
#include "platform/Platform.h"
#include "support/ScopedServices.h"

namespace vp::bench {

class TCountingFiles final : public platform::FileSystem {
 public:
  explicit TCountingFiles(platform::FileSystem& inner) : inner_(inner) {}

  int64_t Tests() const { return tests_.load(std::memory_order_relaxed); }
  int64_t Missing() const { return missing_.load(std::memory_order_relaxed); }
  double TestSeconds() const {
    return static_cast<double>(nanoseconds_.load(std::memory_order_relaxed)) / 1e9;
  }

  platform::DriveType DriveTypeOf(char letter) const override { return inner_.DriveTypeOf(letter); }
  std::string LogicalDriveLetters() const override { return inner_.LogicalDriveLetters(); }
  std::optional<platform::VolumeInfo> VolumeOf(char letter) const override { return inner_.VolumeOf(letter); }
  std::optional<platform::DiskSpace> SpaceOf(std::string_view path) const override {
    return inner_.SpaceOf(path);
  }
  std::optional<uint32_t> Attributes(std::string_view path) const override;
  bool SetAttributes(std::string_view path, uint32_t attributes) override {
    return inner_.SetAttributes(path, attributes);
  }
  std::unique_ptr<platform::DirectorySearch> Search(std::string_view pattern) const override {
    return inner_.Search(pattern);
  }
  bool CopyFileTo(std::string_view source, std::string_view target, bool overwrite) override {
    return inner_.CopyFileTo(source, target, overwrite);
  }
  bool RemoveFile(std::string_view path) override { return inner_.RemoveFile(path); }
  bool MakeFolder(std::string_view path) override { return inner_.MakeFolder(path); }
  bool RemoveFolder(std::string_view path) override { return inner_.RemoveFolder(path); }
  std::optional<std::string> ReadWholeFile(std::string_view path, size_t limit) const override {
    return inner_.ReadWholeFile(path, limit);
  }
  bool WriteWholeFile(std::string_view path, std::string_view bytes) override {
    return inner_.WriteWholeFile(path, bytes);
  }
  bool ReplaceWholeFile(std::string_view path, std::string_view bytes) override {
    return inner_.ReplaceWholeFile(path, bytes);
  }
  bool AppendToFile(std::string_view path, std::string_view bytes) override {
    return inner_.AppendToFile(path, bytes);
  }
  std::optional<platform::FileTime> ModifiedTime(std::string_view path) const override {
    return inner_.ModifiedTime(path);
  }

 private:
  platform::FileSystem& inner_;
  mutable std::atomic<int64_t> tests_{0}, missing_{0}, nanoseconds_{0};
};

// A counting file system over the one in force, installed for the life of
// the object (between pieces of work only).
class TCountedTests {
 public:
  TCountedTests() : counting_(platform::Files()), installed_(WithFiles(counting_)) {}

  const TCountingFiles& Files() const { return counting_; }

 private:
  TCountingFiles counting_;
  TScopedServices installed_;
};

}  // namespace vp::bench
