#pragma once

#include <atomic>
#include <filesystem>
#include <map>
#include <mutex>
#include <optional>

#include "platform/FileSystem.h"

namespace vp::platform::sim {

// Drive letters mapped to host folders, each with a drive type. Windows paths
// resolve to host paths one component at a time without regard to case (a
// host file "Foo.DLL" is found as C:\foo.dll); names are code page 1252 on the
// Windows side and UTF-8 on the host. Every call through the FileSystem
// interface is counted, so tests can prove that code did not touch the disk.
class SimFileSystem : public FileSystem {
 public:
  struct Drive {
    std::filesystem::path hostFolder;
    DriveType type = DriveType::Fixed;
    std::optional<VolumeInfo> volume;  // default: unnamed NTFS volume
    std::optional<DiskSpace> space;    // default: the host folder's space
  };

  // Maps a letter (either case) to a host folder; replaces an earlier mapping.
  // A drive of type NoRootDir is known but absent: nothing on it is reachable.
  void MapDrive(char letter, const std::filesystem::path& hostFolder, DriveType type);
  void UnmapDrive(char letter);
  void SetVolume(char letter, const VolumeInfo& volume);
  void SetSpace(char letter, int64_t total, int64_t freeToCaller);

  // The host path a Windows path names, following existing host names without
  // regard to case and keeping the rest as written; empty when the path is not
  // an absolute path on a reachable drive or holds a character Windows refuses.
  std::optional<std::filesystem::path> HostPath(std::string_view path) const;

  // Calls made through the FileSystem interface since the last reset.
  uint64_t CallCount() const { return calls_.load(); }
  void ResetCallCount() { calls_.store(0); }

  DriveType DriveTypeOf(char letter) const override;
  std::string LogicalDriveLetters() const override;
  std::optional<VolumeInfo> VolumeOf(char letter) const override;
  std::optional<DiskSpace> SpaceOf(std::string_view path) const override;
  std::optional<uint32_t> Attributes(std::string_view path) const override;
  bool SetAttributes(std::string_view path, uint32_t attributes) override;
  std::unique_ptr<DirectorySearch> Search(std::string_view pattern) const override;
  bool CopyFileTo(std::string_view source, std::string_view target, bool overwrite) override;
  bool RemoveFile(std::string_view path) override;
  bool MakeFolder(std::string_view path) override;
  bool RemoveFolder(std::string_view path) override;
  std::optional<std::string> ReadWholeFile(std::string_view path,
                                           size_t limit = std::numeric_limits<size_t>::max()) const override;
  bool WriteWholeFile(std::string_view path, std::string_view bytes) override;
  bool ReplaceWholeFile(std::string_view path, std::string_view bytes) override;
  bool AppendToFile(std::string_view path, std::string_view bytes) override;
  std::optional<FileTime> ModifiedTime(std::string_view path) const override;

 private:
  void Count() const { calls_.fetch_add(1, std::memory_order_relaxed); }
  std::optional<Drive> DriveOf(char letter) const;
  std::optional<uint32_t> AttributesOf(const std::filesystem::path& host) const;
  bool IsReadOnly(const std::filesystem::path& host) const;
  DirectoryEntry EntryFor(const std::filesystem::path& host, std::string name) const;

  mutable std::atomic<uint64_t> calls_{0};
  mutable std::mutex mutex_;
  std::map<char, Drive> drives_;  // keyed by the upper-case letter
  // Hidden, system and archive bits set through SetAttributes, by host path;
  // a file without an entry has the archive bit, a folder none.
  std::map<std::string, uint32_t> storedBits_;
};

// Code page 1252 text to UTF-8 and back; empty when a character has no
// counterpart on the other side.
std::optional<std::string> Cp1252ToUtf8(std::string_view text);
std::optional<std::string> Utf8ToCp1252(std::string_view text);

// Windows wildcard match of a name against a pattern with "*" and "?",
// without regard to case (code page 1252); "*.*" matches every name.
bool WildcardMatchesName(std::string_view pattern, std::string_view name);

}  // namespace vp::platform::sim
