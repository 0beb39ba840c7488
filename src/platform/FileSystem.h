#pragma once

#include <cstdint>
#include <limits>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

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

// File attribute bits, as the system defines them.
inline constexpr uint32_t kAttrReadOnly = 0x1;
inline constexpr uint32_t kAttrHidden = 0x2;
inline constexpr uint32_t kAttrSystem = 0x4;
inline constexpr uint32_t kAttrDirectory = 0x10;
inline constexpr uint32_t kAttrArchive = 0x20;
inline constexpr uint32_t kAttrNormal = 0x80;
// A symbolic link, junction or other reparse point: the entry itself, not
// what it leads to.
inline constexpr uint32_t kAttrReparsePoint = 0x400;

// A file time: 100-nanosecond intervals since 1601-01-01 UTC.
using FileTime = uint64_t;

struct VolumeInfo {
  std::string name;
  uint32_t serial = 0;
  std::string fileSystem;
};

struct DiskSpace {
  int64_t freeToCaller = 0;
  int64_t total = 0;
  int64_t totalFree = 0;
};

// One entry of a directory search.
struct DirectoryEntry {
  std::string name;  // the name only, no folder
  uint32_t attributes = 0;
  uint64_t size = 0;
  FileTime modified = 0;

  bool IsFolder() const { return (attributes & kAttrDirectory) != 0; }
};

// An open directory search; entries come in the system's order. The "." and
// ".." entries are never returned. Entries whose name cannot be written in the
// system code page are skipped.
class DirectorySearch {
 public:
  virtual ~DirectorySearch() = default;
  // The next entry; false at the end.
  virtual bool Next(DirectoryEntry& entry) = 0;
};

// Files, folders and drives. Paths are 8-bit text in the system code page,
// with a drive letter ("C:\..."). Names compare without regard to case. No
// operation throws: failures come back as false or an empty optional.
class FileSystem {
 public:
  virtual ~FileSystem() = default;

  // The type of the drive with this letter (either case).
  virtual DriveType DriveTypeOf(char letter) const = 0;

  // The letters of every drive present, upper case, in order.
  virtual std::string LogicalDriveLetters() const = 0;

  // The volume of the drive with this letter; empty when it has none
  // (absent drive, no medium).
  virtual std::optional<VolumeInfo> VolumeOf(char letter) const = 0;

  // Space on the volume holding the path (a folder or a drive root).
  virtual std::optional<DiskSpace> SpaceOf(std::string_view path) const = 0;

  // The attribute bits of a file or folder; empty when it does not exist.
  virtual std::optional<uint32_t> Attributes(std::string_view path) const = 0;
  virtual bool SetAttributes(std::string_view path, uint32_t attributes) = 0;

  // The entries matching a pattern: a folder, a backslash and a name that
  // may hold "*" and "?" ("C:\dir\*", "C:\dir\*.txt", "C:\dir\file.txt").
  // Never null; a missing folder gives a search without entries.
  virtual std::unique_ptr<DirectorySearch> Search(std::string_view pattern) const = 0;

  // Copies a file; an existing target is replaced only when overwrite is set.
  virtual bool CopyFileTo(std::string_view source, std::string_view target, bool overwrite) = 0;
  virtual bool RemoveFile(std::string_view path) = 0;

  // Creates one folder (its parent must exist) / removes an empty folder.
  virtual bool MakeFolder(std::string_view path) = 0;
  virtual bool RemoveFolder(std::string_view path) = 0;

  // A file's bytes, at most limit of them, read while others may read but
  // not write the file. Empty when the file cannot be opened or read.
  virtual std::optional<std::string> ReadWholeFile(
      std::string_view path, size_t limit = std::numeric_limits<size_t>::max()) const = 0;

  // Creates the file, or truncates an existing one, and writes the bytes.
  virtual bool WriteWholeFile(std::string_view path, std::string_view bytes) = 0;

  // Writes the bytes to a new file beside the target and renames it over the
  // target in one step: readers see the old file or the new one, never a
  // partial one. The folder must exist.
  virtual bool ReplaceWholeFile(std::string_view path, std::string_view bytes) = 0;

  // Appends the bytes to the file (created when missing) and flushes them to
  // the disk before returning: true means they survive a crash. On false
  // part of the bytes may have been written.
  virtual bool AppendToFile(std::string_view path, std::string_view bytes) = 0;

  // The last-write time of a file or folder.
  virtual std::optional<FileTime> ModifiedTime(std::string_view path) const = 0;
};

}  // namespace vp::platform
