#include "platform/sim/SimFileSystem.h"

#include <algorithm>
#include <chrono>
#include <fstream>
#include <vector>

#include "platform/sim/HostFile.h"
#include "platform/sim/SimSystem.h"

namespace vp::platform::sim {
namespace fs = std::filesystem;

namespace {

// Code page 1252 bytes 0x80..0x9F; the five bytes the code page leaves
// undefined map to the C1 control of the same value, as the system does.
constexpr char16_t kCp1252High[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,
};

char UpperLetter(char letter) {
  return (letter >= 'a' && letter <= 'z') ? static_cast<char>(letter - 32) : letter;
}

bool IsSeparator(char c) {
  return c == '\\' || c == '/';
}

bool IsDriveLetter(char c) {
  return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}

bool HasForbiddenCharacter(std::string_view name) {
  for (unsigned char c : name)
    if (c < 32 || c == '<' || c == '>' || c == ':' || c == '"' || c == '|' || c == '?' || c == '*')
      return true;
  return false;
}

bool SameNameNoCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i)
    if (Cp1252Upper(static_cast<unsigned char>(a[i])) != Cp1252Upper(static_cast<unsigned char>(b[i])))
      return false;
  return true;
}

std::string UpperName(std::string_view name) {
  std::string result(name);
  for (char& c : result) c = static_cast<char>(Cp1252Upper(static_cast<unsigned char>(c)));
  return result;
}

FileTime ToFileTime(fs::file_time_type time) {
  using Ticks = std::chrono::duration<int64_t, std::ratio<1, 10000000>>;
  const auto sinceUnixEpoch =
      std::chrono::duration_cast<Ticks>(std::chrono::file_clock::to_sys(time).time_since_epoch()).count();
  constexpr int64_t kUnixEpochAsFileTime = 116444736000000000LL;
  return static_cast<FileTime>(sinceUnixEpoch + kUnixEpochAsFileTime);
}

bool IsRegularFile(const fs::path& host) {
  std::error_code ec;
  return fs::is_regular_file(host, ec);
}

bool IsFolder(const fs::path& host) {
  std::error_code ec;
  return fs::is_directory(host, ec);
}

bool Exists(const fs::path& host) {
  std::error_code ec;
  return fs::exists(host, ec);
}

// Host names are handled as UTF-8 on every build (the sim also runs in the
// Windows build, where narrow host paths would mean the ANSI code page).
fs::path HostName(const std::string& utf8) {
  return fs::path(std::u8string(utf8.begin(), utf8.end()));
}

std::string Utf8Name(const fs::path& path) {
  const std::u8string name = path.u8string();
  return std::string(name.begin(), name.end());
}

class ListedSearch : public DirectorySearch {
 public:
  explicit ListedSearch(std::vector<DirectoryEntry> entries) : entries_(std::move(entries)) {}
  bool Next(DirectoryEntry& entry) override {
    if (next_ >= entries_.size()) return false;
    entry = entries_[next_++];
    return true;
  }

 private:
  std::vector<DirectoryEntry> entries_;
  size_t next_ = 0;
};

}  // namespace

std::optional<std::string> Cp1252ToUtf8(std::string_view text) {
  std::string result;
  result.reserve(text.size());
  for (unsigned char c : text) {
    char32_t code = c;
    if (c >= 0x80 && c <= 0x9F) code = kCp1252High[c - 0x80];
    if (code < 0x80) {
      result += static_cast<char>(code);
    } else if (code < 0x800) {
      result += static_cast<char>(0xC0 | (code >> 6));
      result += static_cast<char>(0x80 | (code & 0x3F));
    } else {
      result += static_cast<char>(0xE0 | (code >> 12));
      result += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
      result += static_cast<char>(0x80 | (code & 0x3F));
    }
  }
  return result;
}

std::optional<std::string> Utf8ToCp1252(std::string_view text) {
  std::string result;
  result.reserve(text.size());
  for (size_t i = 0; i < text.size();) {
    const unsigned char lead = static_cast<unsigned char>(text[i]);
    char32_t code = 0;
    size_t length = 0;
    if (lead < 0x80) {
      code = lead;
      length = 1;
    } else if ((lead & 0xE0) == 0xC0) {
      code = lead & 0x1F;
      length = 2;
    } else if ((lead & 0xF0) == 0xE0) {
      code = lead & 0x0F;
      length = 3;
    } else {
      return std::nullopt;  // beyond the BMP: never in code page 1252
    }
    if (i + length > text.size()) return std::nullopt;
    for (size_t k = 1; k < length; ++k) {
      const unsigned char next = static_cast<unsigned char>(text[i + k]);
      if ((next & 0xC0) != 0x80) return std::nullopt;
      code = (code << 6) | (next & 0x3F);
    }
    if ((length == 2 && code < 0x80) || (length == 3 && code < 0x800)) return std::nullopt;  // overlong
    i += length;
    if (code < 0x80 || (code >= 0xA0 && code <= 0xFF)) {
      result += static_cast<char>(code);
      continue;
    }
    const auto* found =
        std::find(std::begin(kCp1252High), std::end(kCp1252High), static_cast<char16_t>(code));
    if (found == std::end(kCp1252High)) return std::nullopt;
    result += static_cast<char>(0x80 + (found - std::begin(kCp1252High)));
  }
  return result;
}

bool WildcardMatchesName(std::string_view pattern, std::string_view name) {
  if (pattern == "*" || pattern == "*.*") return true;
  // Iterative match with one backtracking point for the last "*".
  size_t p = 0, n = 0, starP = std::string_view::npos, starN = 0;
  while (n < name.size()) {
    if (p < pattern.size() &&
        (pattern[p] == '?' || SameNameNoCase(pattern.substr(p, 1), name.substr(n, 1)))) {
      ++p;
      ++n;
    } else if (p < pattern.size() && pattern[p] == '*') {
      starP = p++;
      starN = n;
    } else if (starP != std::string_view::npos) {
      p = starP + 1;
      n = ++starN;
    } else {
      return false;
    }
  }
  while (p < pattern.size() && pattern[p] == '*') ++p;
  return p == pattern.size();
}

void SimFileSystem::MapDrive(char letter, const fs::path& hostFolder, DriveType type) {
  std::lock_guard lock(mutex_);
  Drive drive;
  drive.hostFolder = hostFolder;
  drive.type = type;
  drives_[UpperLetter(letter)] = drive;
}

void SimFileSystem::UnmapDrive(char letter) {
  std::lock_guard lock(mutex_);
  drives_.erase(UpperLetter(letter));
}

void SimFileSystem::SetVolume(char letter, const VolumeInfo& volume) {
  std::lock_guard lock(mutex_);
  auto it = drives_.find(UpperLetter(letter));
  if (it != drives_.end()) it->second.volume = volume;
}

void SimFileSystem::SetSpace(char letter, int64_t total, int64_t freeToCaller) {
  std::lock_guard lock(mutex_);
  auto it = drives_.find(UpperLetter(letter));
  if (it != drives_.end()) it->second.space = DiskSpace{freeToCaller, total, freeToCaller};
}

std::optional<SimFileSystem::Drive> SimFileSystem::DriveOf(char letter) const {
  std::lock_guard lock(mutex_);
  auto it = drives_.find(UpperLetter(letter));
  if (it == drives_.end() || it->second.type == DriveType::NoRootDir || it->second.type == DriveType::Unknown)
    return std::nullopt;
  return it->second;
}

std::optional<fs::path> SimFileSystem::HostPath(std::string_view path) const {
  if (path.size() < 3 || !IsDriveLetter(path[0]) || path[1] != ':' || !IsSeparator(path[2]))
    return std::nullopt;
  auto drive = DriveOf(path[0]);
  if (!drive) return std::nullopt;

  // Normalise as the system does: empty and "." components vanish, ".." goes
  // up (never above the root), and the last component loses trailing dots
  // and blanks.
  std::vector<std::string> parts;
  size_t start = 3;
  while (start <= path.size()) {
    size_t end = start;
    while (end < path.size() && !IsSeparator(path[end])) ++end;
    std::string part(path.substr(start, end - start));
    const bool last = end >= path.size();
    if (last && part != "." && part != "..")
      while (!part.empty() && (part.back() == '.' || part.back() == ' ')) part.pop_back();
    if (part == "..") {
      if (!parts.empty()) parts.pop_back();
    } else if (!part.empty() && part != ".") {
      if (HasForbiddenCharacter(part)) return std::nullopt;
      parts.push_back(std::move(part));
    }
    start = end + 1;
  }

  fs::path host = drive->hostFolder;
  bool following = IsFolder(host);
  for (const auto& part : parts) {
    auto hostName = Cp1252ToUtf8(part);
    if (!hostName) return std::nullopt;
    if (following && !Exists(host / HostName(*hostName))) {
      std::optional<std::string> match;
      std::error_code ec;
      for (fs::directory_iterator it(host, ec), end; !ec && it != end; it.increment(ec)) {
        const std::string candidate = Utf8Name(it->path().filename());
        auto windowsName = Utf8ToCp1252(candidate);
        if (windowsName && SameNameNoCase(*windowsName, part)) {
          match = candidate;
          break;
        }
      }
      if (match) {
        hostName = match;
      } else {
        following = false;
      }
    }
    host /= HostName(*hostName);
  }
  // A trailing separator names a folder: a file there is not found.
  if (path.size() > 3 && IsSeparator(path.back()) && Exists(host) && !IsFolder(host)) return std::nullopt;
  return host;
}

std::optional<uint32_t> SimFileSystem::AttributesOf(const fs::path& host) const {
  std::error_code ec;
  const auto linkStatus = fs::symlink_status(host, ec);
  if (ec || !fs::exists(linkStatus)) return std::nullopt;
  // A symbolic link is a reparse point, a folder when it leads to one.
  const bool link = fs::is_symlink(linkStatus);
  auto status = linkStatus;
  if (link) {
    status = fs::status(host, ec);
    if (ec) status = linkStatus;
  }
  uint32_t attributes = 0;
  const bool folder = fs::is_directory(status);
  {
    std::lock_guard lock(mutex_);
    auto it = storedBits_.find(Utf8Name(host));
    if (it != storedBits_.end())
      attributes = it->second;
    else if (!folder)
      attributes = kAttrArchive;
  }
  if (folder) attributes |= kAttrDirectory;
  if (link) attributes |= kAttrReparsePoint;
  if ((status.permissions() & fs::perms::owner_write) == fs::perms::none) attributes |= kAttrReadOnly;
  return attributes == 0 ? kAttrNormal : attributes;
}

bool SimFileSystem::IsReadOnly(const fs::path& host) const {
  auto attributes = AttributesOf(host);
  return attributes && (*attributes & kAttrReadOnly) != 0;
}

DirectoryEntry SimFileSystem::EntryFor(const fs::path& host, std::string name) const {
  DirectoryEntry entry;
  entry.name = std::move(name);
  entry.attributes = AttributesOf(host).value_or(0);
  std::error_code ec;
  if (!entry.IsFolder()) {
    const auto size = fs::file_size(host, ec);
    if (!ec) entry.size = size;
  }
  const auto time = fs::last_write_time(host, ec);
  if (!ec) entry.modified = ToFileTime(time);
  return entry;
}

DriveType SimFileSystem::DriveTypeOf(char letter) const {
  Count();
  std::lock_guard lock(mutex_);
  auto it = drives_.find(UpperLetter(letter));
  return it == drives_.end() ? DriveType::NoRootDir : it->second.type;
}

std::string SimFileSystem::LogicalDriveLetters() const {
  Count();
  std::lock_guard lock(mutex_);
  std::string letters;
  for (const auto& [letter, drive] : drives_)
    if (drive.type != DriveType::NoRootDir) letters += letter;
  return letters;
}

std::optional<VolumeInfo> SimFileSystem::VolumeOf(char letter) const {
  Count();
  auto drive = DriveOf(letter);
  if (!drive || !IsFolder(drive->hostFolder)) return std::nullopt;
  if (drive->volume) return drive->volume;
  VolumeInfo volume;
  volume.serial = 0x5EED0000u + static_cast<uint32_t>(UpperLetter(letter));
  volume.fileSystem = "NTFS";
  return volume;
}

std::optional<DiskSpace> SimFileSystem::SpaceOf(std::string_view path) const {
  Count();
  auto host = HostPath(path);
  if (!host || !IsFolder(*host)) return std::nullopt;
  auto drive = DriveOf(path[0]);
  if (!drive) return std::nullopt;
  if (drive->space) return drive->space;
  std::error_code ec;
  const auto info = fs::space(*host, ec);
  if (ec) return std::nullopt;
  return DiskSpace{static_cast<int64_t>(info.available), static_cast<int64_t>(info.capacity),
                   static_cast<int64_t>(info.free)};
}

std::optional<uint32_t> SimFileSystem::Attributes(std::string_view path) const {
  Count();
  auto host = HostPath(path);
  if (!host) return std::nullopt;
  return AttributesOf(*host);
}

bool SimFileSystem::SetAttributes(std::string_view path, uint32_t attributes) {
  Count();
  auto host = HostPath(path);
  if (!host || !Exists(*host)) return false;
  std::error_code ec;
  const auto writable = fs::perms::owner_write | fs::perms::group_write;
  fs::permissions(*host, writable,
                  (attributes & kAttrReadOnly) ? fs::perm_options::remove : fs::perm_options::add, ec);
  if (ec) return false;
  std::lock_guard lock(mutex_);
  storedBits_[Utf8Name(*host)] = attributes & (kAttrHidden | kAttrSystem | kAttrArchive);
  return true;
}

std::unique_ptr<DirectorySearch> SimFileSystem::Search(std::string_view pattern) const {
  Count();
  std::vector<DirectoryEntry> entries;
  const size_t slash = pattern.find_last_of("\\/");
  const std::string_view name =
      slash == std::string_view::npos ? std::string_view() : pattern.substr(slash + 1);
  if (name.empty() || slash < 2) return std::make_unique<ListedSearch>(std::move(entries));

  if (name.find_first_of("*?") == std::string_view::npos) {
    auto host = HostPath(pattern);
    if (host && Exists(*host)) {
      auto windowsName = Utf8ToCp1252(Utf8Name(host->filename()));
      if (windowsName && host->has_filename()) entries.push_back(EntryFor(*host, *windowsName));
    }
    return std::make_unique<ListedSearch>(std::move(entries));
  }

  auto folder = HostPath(pattern.substr(0, slash + 1));
  if (!folder || !IsFolder(*folder)) return std::make_unique<ListedSearch>(std::move(entries));
  std::error_code ec;
  for (fs::directory_iterator it(*folder, ec), end; !ec && it != end; it.increment(ec)) {
    auto windowsName = Utf8ToCp1252(Utf8Name(it->path().filename()));
    if (!windowsName || !WildcardMatchesName(name, *windowsName)) continue;
    entries.push_back(EntryFor(it->path(), *windowsName));
  }
  // The order of an NTFS folder: by upper-case name.
  std::sort(entries.begin(), entries.end(), [](const DirectoryEntry& a, const DirectoryEntry& b) {
    return UpperName(a.name) < UpperName(b.name);
  });
  return std::make_unique<ListedSearch>(std::move(entries));
}

bool SimFileSystem::CopyFileTo(std::string_view source, std::string_view target, bool overwrite) {
  Count();
  auto from = HostPath(source);
  auto to = HostPath(target);
  if (!from || !to || !IsRegularFile(*from) || !IsFolder(to->parent_path())) return false;
  if (Exists(*to) && (!overwrite || !IsRegularFile(*to) || IsReadOnly(*to))) return false;
  std::error_code ec;
  if (fs::equivalent(*from, *to, ec)) return false;
  fs::copy_file(*from, *to, fs::copy_options::overwrite_existing, ec);
  if (ec) return false;
  // A copy keeps the source's attributes and last-write time.
  const auto attributes = AttributesOf(*from).value_or(kAttrArchive);
  fs::last_write_time(*to, fs::last_write_time(*from, ec), ec);
  fs::permissions(*to, fs::perms::owner_write | fs::perms::group_write,
                  (attributes & kAttrReadOnly) ? fs::perm_options::remove : fs::perm_options::add, ec);
  std::lock_guard lock(mutex_);
  storedBits_[Utf8Name(*to)] = attributes & (kAttrHidden | kAttrSystem | kAttrArchive);
  return true;
}

bool SimFileSystem::RemoveFile(std::string_view path) {
  Count();
  auto host = HostPath(path);
  if (!host || !IsRegularFile(*host) || IsReadOnly(*host)) return false;
  std::error_code ec;
  if (!fs::remove(*host, ec)) return false;
  std::lock_guard lock(mutex_);
  storedBits_.erase(Utf8Name(*host));
  return true;
}

bool SimFileSystem::MakeFolder(std::string_view path) {
  Count();
  auto host = HostPath(path);
  if (!host || !host->has_filename() || Exists(*host) || !IsFolder(host->parent_path())) return false;
  std::error_code ec;
  return fs::create_directory(*host, ec);
}

bool SimFileSystem::RemoveFolder(std::string_view path) {
  Count();
  auto host = HostPath(path);
  if (!host || !IsFolder(*host)) return false;
  std::error_code ec;
  // A link to a folder goes as a link, whatever the folder holds.
  if (fs::is_symlink(*host, ec)) return fs::remove(*host, ec);
  if (!fs::is_empty(*host, ec) || ec) return false;
  if (!fs::remove(*host, ec)) return false;
  std::lock_guard lock(mutex_);
  storedBits_.erase(Utf8Name(*host));
  return true;
}

std::optional<std::string> SimFileSystem::ReadWholeFile(std::string_view path, size_t limit) const {
  Count();
  auto host = HostPath(path);
  if (!host || !IsRegularFile(*host)) return std::nullopt;
  std::ifstream in(*host, std::ios::binary);
  if (!in) return std::nullopt;
  std::string bytes;
  char block[4096];
  while (bytes.size() < limit && in) {
    in.read(block, static_cast<std::streamsize>(std::min(sizeof(block), limit - bytes.size())));
    bytes.append(block, static_cast<size_t>(in.gcount()));
  }
  if (in.bad()) return std::nullopt;
  return bytes;
}

bool SimFileSystem::WriteWholeFile(std::string_view path, std::string_view bytes) {
  Count();
  auto host = HostPath(path);
  if (!host || !host->has_filename() || !IsFolder(host->parent_path())) return false;
  if (Exists(*host) && (!IsRegularFile(*host) || IsReadOnly(*host))) return false;
  std::ofstream out(*host, std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  out.close();
  return !out.fail();
}

bool SimFileSystem::AppendToFile(std::string_view path, std::string_view bytes) {
  Count();
  auto host = HostPath(path);
  if (!host || !host->has_filename() || !IsFolder(host->parent_path())) return false;
  if (Exists(*host) && (!IsRegularFile(*host) || IsReadOnly(*host))) return false;
  // The native machine mode writes real host files: what the backup's
  // safety rests on must reach the disk, not only the stream.
  return AppendHostFile(*host, bytes);
}

bool SimFileSystem::ReplaceWholeFile(std::string_view path, std::string_view bytes) {
  Count();
  auto host = HostPath(path);
  if (!host || !host->has_filename() || !IsFolder(host->parent_path())) return false;
  std::error_code ec;
  // A link is replaced, not followed, as the system's rename does.
  const bool link = fs::is_symlink(*host, ec);
  if (!link && Exists(*host) && (!IsRegularFile(*host) || IsReadOnly(*host))) return false;
  std::string error;
  return ReplaceHostFile(*host, bytes, false, error);
}

std::optional<FileTime> SimFileSystem::ModifiedTime(std::string_view path) const {
  Count();
  auto host = HostPath(path);
  if (!host || !Exists(*host)) return std::nullopt;
  std::error_code ec;
  const auto time = fs::last_write_time(*host, ec);
  if (ec) return std::nullopt;
  return ToFileTime(time);
}

}  // namespace vp::platform::sim
