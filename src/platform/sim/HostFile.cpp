#include "platform/sim/HostFile.h"

#include <atomic>
#include <cerrno>
#include <cstring>
#include <fstream>
#include <random>

#ifndef _WIN32
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace vp::platform::sim {
namespace fs = std::filesystem;

namespace {

#ifndef _WIN32

// Owns a POSIX file descriptor.
class Descriptor {
 public:
  explicit Descriptor(int fd) : fd_(fd) {}
  Descriptor(const Descriptor&) = delete;
  Descriptor& operator=(const Descriptor&) = delete;
  ~Descriptor() {
    if (fd_ >= 0) ::close(fd_);
  }
  int get() const { return fd_; }
  bool Close() {
    const int fd = fd_;
    fd_ = -1;
    return fd < 0 || ::close(fd) == 0;
  }

 private:
  int fd_;
};

bool WriteAll(int fd, std::string_view bytes) {
  while (!bytes.empty()) {
    const ssize_t written = ::write(fd, bytes.data(), bytes.size());
    if (written < 0 && errno == EINTR) continue;
    if (written <= 0) return false;
    bytes.remove_prefix(static_cast<size_t>(written));
  }
  return true;
}

std::string RandomSuffix() {
  static thread_local std::mt19937_64 generator{std::random_device{}()};
  std::string text;
  uint64_t value = generator();
  for (int i = 0; i < 12; ++i, value >>= 4) text += "0123456789abcdef"[value & 0xF];
  return text;
}

// A rename is durable only once the folder holding it is flushed.
void SyncFolder(const fs::path& folder) {
  Descriptor dir(::open(folder.empty() ? "." : folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
  if (dir.get() >= 0) ::fsync(dir.get());
}

#endif

}  // namespace

bool ReplaceHostFile(const fs::path& path, std::string_view bytes, bool throughLink, std::string& error) {
  std::error_code ec;
  fs::path target = path;
  if (throughLink && fs::is_symlink(path, ec)) {
    target = fs::canonical(path, ec);
    if (ec) {
      error = "cannot follow the link " + path.string() + ": " + ec.message();
      return false;
    }
  }
#ifndef _WIN32
  const fs::path folder = target.parent_path();
  struct stat existing {};
  const bool hadFile = ::lstat(target.c_str(), &existing) == 0 && S_ISREG(existing.st_mode);
  fs::path temporary;
  int fd = -1;
  for (int attempt = 0; attempt < 100 && fd < 0; ++attempt) {
    temporary = folder / ("." + target.filename().string() + ".tmp-" + RandomSuffix());
    fd = ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666);
    if (fd < 0 && errno != EEXIST) break;
  }
  if (fd < 0) {
    error = "cannot create a temporary file beside " + target.string() + ": " + std::strerror(errno);
    return false;
  }
  Descriptor file(fd);
  bool ok = WriteAll(fd, bytes);
  if (ok && hadFile) ok = ::fchmod(fd, existing.st_mode & 07777) == 0;
  if (ok) ok = ::fsync(fd) == 0;
  ok = file.Close() && ok;
  if (ok) ok = ::rename(temporary.c_str(), target.c_str()) == 0;
  if (!ok) {
    error = "cannot write " + target.string() + ": " + std::strerror(errno);
    ::unlink(temporary.c_str());
    return false;
  }
  SyncFolder(folder);
  return true;
#else
  static std::atomic<uint64_t> serial{0};
  fs::path temporary = target;
  temporary += ".new-" + std::to_string(serial.fetch_add(1));
  {
    std::ofstream out(temporary, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    out.close();
    if (out.fail()) {
      fs::remove(temporary, ec);
      error = "cannot write " + temporary.string();
      return false;
    }
  }
  fs::rename(temporary, target, ec);
  if (ec) {
    error = "cannot replace " + target.string() + ": " + ec.message();
    fs::remove(temporary, ec);
    return false;
  }
  return true;
#endif
}

bool AppendHostFile(const fs::path& path, std::string_view bytes) {
#ifndef _WIN32
  Descriptor file(::open(path.c_str(), O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC, 0666));
  if (file.get() < 0) return false;
  const bool ok = WriteAll(file.get(), bytes) && ::fsync(file.get()) == 0;
  return file.Close() && ok;
#else
  std::ofstream out(path, std::ios::binary | std::ios::app);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  out.flush();
  out.close();
  return !out.fail();
#endif
}

}  // namespace vp::platform::sim
