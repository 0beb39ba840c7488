#include "platform/win32/Win32FileSystem.h"

#include <windows.h>

#include <atomic>
#include <string>
#include <utility>

#include "platform/win32/CodePage.h"
#include "platform/win32/ScopedHandle.h"

namespace vp::platform::win32 {
namespace {

FileTime ToFileTime(const FILETIME& time) {
  return (static_cast<uint64_t>(time.dwHighDateTime) << 32) | time.dwLowDateTime;
}

std::wstring DriveRoot(char letter) {
  return std::wstring{static_cast<wchar_t>(static_cast<unsigned char>(letter)), L':', L'\\'};
}

class Win32Search : public DirectorySearch {
 public:
  explicit Win32Search(const std::wstring& pattern)
      : handle_(
            FindFirstFileExW(pattern.c_str(), FindExInfoBasic, &data_, FindExSearchNameMatch, nullptr, 0)),
        pending_(handle_.Valid()) {}

  bool Next(DirectoryEntry& entry) override {
    while (pending_) {
      const WIN32_FIND_DATAW current = data_;
      pending_ = FindNextFileW(handle_.Get(), &data_) != 0;
      const std::wstring_view name(current.cFileName);
      if (name == L"." || name == L"..") continue;
      auto narrow = FromWide(name);
      if (!narrow) continue;
      entry.name = std::move(*narrow);
      entry.attributes = current.dwFileAttributes;
      entry.size = (static_cast<uint64_t>(current.nFileSizeHigh) << 32) | current.nFileSizeLow;
      entry.modified = ToFileTime(current.ftLastWriteTime);
      return true;
    }
    return false;
  }

 private:
  WIN32_FIND_DATAW data_{};
  FindHandle handle_;
  bool pending_;
};

class EmptySearch : public DirectorySearch {
 public:
  bool Next(DirectoryEntry&) override { return false; }
};

bool WriteAll(HANDLE file, std::string_view bytes) {
  while (!bytes.empty()) {
    const DWORD chunk = static_cast<DWORD>(std::min<size_t>(bytes.size(), 1u << 20));
    DWORD written = 0;
    if (!WriteFile(file, bytes.data(), chunk, &written, nullptr) || written == 0) return false;
    bytes.remove_prefix(written);
  }
  return true;
}

// exclusive: the file must not exist yet (nothing planted under its name,
// a link least of all, is opened or followed).
bool WriteNew(const std::wstring& path, std::string_view bytes, bool flush, bool exclusive = false) {
  FileHandle file(CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, exclusive ? CREATE_NEW : CREATE_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file.Valid()) return false;
  if (!WriteAll(file.Get(), bytes)) return false;
  if (flush && !FlushFileBuffers(file.Get())) return false;
  return file.Close();
}

}  // namespace

DriveType Win32FileSystem::DriveTypeOf(char letter) const {
  return static_cast<DriveType>(GetDriveTypeW(DriveRoot(letter).c_str()));
}

std::string Win32FileSystem::LogicalDriveLetters() const {
  const DWORD mask = GetLogicalDrives();
  std::string letters;
  for (int i = 0; i < 26; ++i)
    if (mask & (1u << i)) letters += static_cast<char>('A' + i);
  return letters;
}

std::optional<VolumeInfo> Win32FileSystem::VolumeOf(char letter) const {
  wchar_t name[MAX_PATH + 1] = {};
  wchar_t fileSystem[MAX_PATH + 1] = {};
  DWORD serial = 0, maxComponent = 0, flags = 0;
  if (!GetVolumeInformationW(DriveRoot(letter).c_str(), name, MAX_PATH + 1, &serial, &maxComponent, &flags,
                             fileSystem, MAX_PATH + 1))
    return std::nullopt;
  VolumeInfo volume;
  volume.name = FromWide(name).value_or(std::string());
  volume.serial = serial;
  volume.fileSystem = FromWide(fileSystem).value_or(std::string());
  return volume;
}

std::optional<DiskSpace> Win32FileSystem::SpaceOf(std::string_view path) const {
  auto wide = ToWide(path);
  if (!wide) return std::nullopt;
  ULARGE_INTEGER freeToCaller{}, total{}, totalFree{};
  if (!GetDiskFreeSpaceExW(wide->c_str(), &freeToCaller, &total, &totalFree)) return std::nullopt;
  return DiskSpace{static_cast<int64_t>(freeToCaller.QuadPart), static_cast<int64_t>(total.QuadPart),
                   static_cast<int64_t>(totalFree.QuadPart)};
}

std::optional<uint32_t> Win32FileSystem::Attributes(std::string_view path) const {
  auto wide = ToWide(path);
  if (!wide || wide->empty()) return std::nullopt;
  const DWORD attributes = GetFileAttributesW(wide->c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES) return std::nullopt;
  return attributes;
}

bool Win32FileSystem::SetAttributes(std::string_view path, uint32_t attributes) {
  auto wide = ToWide(path);
  return wide && !wide->empty() && SetFileAttributesW(wide->c_str(), attributes);
}

std::unique_ptr<DirectorySearch> Win32FileSystem::Search(std::string_view pattern) const {
  auto wide = ToWide(pattern);
  if (!wide || wide->empty()) return std::make_unique<EmptySearch>();
  return std::make_unique<Win32Search>(*wide);
}

bool Win32FileSystem::CopyFileTo(std::string_view source, std::string_view target, bool overwrite) {
  auto from = ToWide(source);
  auto to = ToWide(target);
  return from && to && !from->empty() && !to->empty() && CopyFileW(from->c_str(), to->c_str(), !overwrite);
}

bool Win32FileSystem::RemoveFile(std::string_view path) {
  auto wide = ToWide(path);
  return wide && !wide->empty() && DeleteFileW(wide->c_str());
}

bool Win32FileSystem::MakeFolder(std::string_view path) {
  auto wide = ToWide(path);
  return wide && !wide->empty() && CreateDirectoryW(wide->c_str(), nullptr);
}

bool Win32FileSystem::RemoveFolder(std::string_view path) {
  auto wide = ToWide(path);
  return wide && !wide->empty() && RemoveDirectoryW(wide->c_str());
}

std::optional<std::string> Win32FileSystem::ReadWholeFile(std::string_view path, size_t limit) const {
  auto wide = ToWide(path);
  if (!wide || wide->empty()) return std::nullopt;
  // Others may read the file meanwhile, but not change it.
  FileHandle file(CreateFileW(wide->c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL | FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
  if (!file.Valid()) return std::nullopt;
  std::string bytes;
  char block[4096];
  while (bytes.size() < limit) {
    const DWORD wanted = static_cast<DWORD>(std::min(sizeof(block), limit - bytes.size()));
    DWORD got = 0;
    if (!ReadFile(file.Get(), block, wanted, &got, nullptr)) return std::nullopt;
    if (got == 0) break;
    bytes.append(block, got);
  }
  return bytes;
}

bool Win32FileSystem::WriteWholeFile(std::string_view path, std::string_view bytes) {
  auto wide = ToWide(path);
  if (!wide || wide->empty()) return false;
  // Windows refuses to truncate a read-only file; not every implementation
  // of its API does, so the rule is applied here.
  const DWORD existing = GetFileAttributesW(wide->c_str());
  if (existing != INVALID_FILE_ATTRIBUTES && (existing & FILE_ATTRIBUTE_READONLY)) return false;
  return WriteNew(*wide, bytes, false);
}

bool Win32FileSystem::AppendToFile(std::string_view path, std::string_view bytes) {
  auto wide = ToWide(path);
  if (!wide || wide->empty()) return false;
  FileHandle file(CreateFileW(wide->c_str(), FILE_APPEND_DATA, FILE_SHARE_READ, nullptr, OPEN_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file.Valid()) return false;
  if (!WriteAll(file.Get(), bytes) || !FlushFileBuffers(file.Get())) return false;
  return file.Close();
}

bool Win32FileSystem::ReplaceWholeFile(std::string_view path, std::string_view bytes) {
  static std::atomic<unsigned> serial{0};
  auto wide = ToWide(path);
  if (!wide || wide->empty()) return false;
  // A read-only target stays as it is, as a direct write would.
  const DWORD existing = GetFileAttributesW(wide->c_str());
  if (existing != INVALID_FILE_ATTRIBUTES &&
      (existing & (FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_DIRECTORY)))
    return false;
  std::wstring temporary;
  bool written = false;
  for (int attempt = 0; attempt < 8 && !written; ++attempt) {
    temporary = *wide + L".new-" + std::to_wstring(GetCurrentProcessId()) + L"-" +
                std::to_wstring(GetTickCount64()) + L"-" + std::to_wstring(serial.fetch_add(1));
    written = WriteNew(temporary, bytes, true, true);
    if (!written && GetLastError() != ERROR_FILE_EXISTS) {
      DeleteFileW(temporary.c_str());
      return false;
    }
  }
  if (!written) return false;
  if (!MoveFileExW(temporary.c_str(), wide->c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
    DeleteFileW(temporary.c_str());
    return false;
  }
  return true;
}

std::optional<FileTime> Win32FileSystem::ModifiedTime(std::string_view path) const {
  auto wide = ToWide(path);
  if (!wide || wide->empty()) return std::nullopt;
  WIN32_FILE_ATTRIBUTE_DATA data{};
  if (!GetFileAttributesExW(wide->c_str(), GetFileExInfoStandard, &data)) return std::nullopt;
  return ToFileTime(data.ftLastWriteTime);
}

}  // namespace vp::platform::win32
