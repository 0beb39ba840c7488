#include "support/SimHost.h"

#include <atomic>
#include <string>

#include "platform/sim/SimMachine.h"

#ifdef _WIN32
#include <process.h>
#define VP_PROCESS_ID _getpid()
#else
#include <unistd.h>
#define VP_PROCESS_ID getpid()
#endif

namespace vp::test {
namespace fs = std::filesystem;

std::string UniqueName(const std::string& prefix) {
  static std::atomic<int> serial{0};
  return prefix + std::to_string(VP_PROCESS_ID) + "x" + std::to_string(serial.fetch_add(1));
}

void RemoveHostFolder(const fs::path& folder) {
  // Files a test made read-only would stop the removal.
  std::error_code ec;
  fs::permissions(folder, fs::perms::owner_all, fs::perm_options::add, ec);
  for (fs::recursive_directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec))
    fs::permissions(it->path(), fs::perms::owner_write, fs::perm_options::add, ec);
  fs::remove_all(folder, ec);
}

SimHost::SimHost() : SimHost(Options{}) {}

SimHost::SimHost(Options options)
    : machine_(std::make_unique<platform::sim::SimMachine>()), previous_(platform::Current()) {
  folder_ = fs::temp_directory_path() / UniqueName("vphost");
  std::error_code ec;
  fs::remove_all(folder_, ec);
  fs::create_directories(folder_);
  if (options.mapDriveC) {
    for (const char* folder : {"Windows/system32", "users/user/Temp"})
      fs::create_directories(folder_ / folder);
    machine_->Files().MapDrive('C', folder_, platform::DriveType::Fixed);
  }
  auto services = machine_->Services();
  if (!options.ownRegistry || services.registry == nullptr) services.registry = previous_.registry;
  platform::Install(services);
}

SimHost::~SimHost() {
  platform::Install(previous_);
  RemoveHostFolder(folder_);
}

}  // namespace vp::test
