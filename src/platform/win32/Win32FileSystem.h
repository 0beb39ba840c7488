#pragma once

#include "platform/FileSystem.h"

namespace vp::platform::win32 {

// The real file system through the wide API. A path that does not convert
// exactly from the code page is treated as absent.
class Win32FileSystem : public FileSystem {
 public:
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
};

}  // namespace vp::platform::win32
