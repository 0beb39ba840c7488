#include "support/ScratchFolder.h"

#include <atomic>
#include <fstream>

#include "platform/System.h"
#include "platform/sim/SimMachine.h"
#include "support/TestSupport.h"

#ifdef _WIN32
#include <process.h>
#define VP_PROCESS_ID _getpid()
#else
#include <unistd.h>
#define VP_PROCESS_ID getpid()
#endif

namespace vp::test {
namespace fs = std::filesystem;

namespace {

std::atomic<int> gSerial{0};

std::string UniqueName() {
  return "vpscratch" + std::to_string(VP_PROCESS_ID) + "x" + std::to_string(gSerial.fetch_add(1));
}

void MakeWritable(const fs::path& root) {
  std::error_code ec;
  fs::permissions(root, fs::perms::owner_all, fs::perm_options::add, ec);
  for (fs::recursive_directory_iterator it(root, ec), end; !ec && it != end; it.increment(ec))
    fs::permissions(it->path(), fs::perms::owner_write, fs::perm_options::add, ec);
}

}  // namespace

ScratchFolder::ScratchFolder() : previous_(platform::Current()) {
  if (!kOnRealWindows) {
    hostDrive_ = fs::temp_directory_path() / UniqueName();
    for (const char* folder : {"Windows/system32", "users/user/Temp"})
      fs::create_directories(hostDrive_ / folder);
    machine_ = std::make_unique<platform::sim::SimMachine>();
    machine_->Files().MapDrive('C', hostDrive_, platform::DriveType::Fixed);
    auto services = machine_->Services();
    if (services.registry == nullptr) services.registry = previous_.registry;
    platform::Install(services);
  }
  root_ = platform::Sys().TempFolder() + UniqueName() + "\\";
  fs::create_directories(Host());
}

ScratchFolder::~ScratchFolder() {
  std::error_code ec;
  const fs::path top = hostDrive_.empty() ? Host() : hostDrive_;
  MakeWritable(top);
  fs::remove_all(top, ec);
  if (machine_) platform::Install(previous_);
}

fs::path ScratchFolder::Host(std::string_view relative) const {
  const std::string path = root_ + std::string(relative);
  if (machine_) {
    auto host = machine_->Files().HostPath(path);
    return host.value_or(fs::path());
  }
  return fs::path(path);
}

void ScratchFolder::PutFile(std::string_view relative, std::string_view bytes) const {
  const fs::path host = Host(relative);
  fs::create_directories(host.parent_path());
  std::ofstream out(host, std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

void ScratchFolder::PutFolder(std::string_view relative) const {
  fs::create_directories(Host(relative));
}

}  // namespace vp::test
