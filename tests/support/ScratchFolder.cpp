#include "support/ScratchFolder.h"

#include <fstream>

#include "platform/System.h"
#include "platform/sim/SimMachine.h"
#include "support/TestSupport.h"

namespace vp::test {
namespace fs = std::filesystem;

ScratchFolder::ScratchFolder() {
  if (!kOnRealWindows) host_ = std::make_unique<SimHost>();
  root_ = platform::Sys().TempFolder() + UniqueName("vpscratch") + "\\";
  fs::create_directories(Host());
}

ScratchFolder::~ScratchFolder() {
  if (!host_) RemoveHostFolder(Host());  // natively the host folder goes with host_
}

fs::path ScratchFolder::Host(std::string_view relative) const {
  const std::string path = root_ + std::string(relative);
  if (host_) {
    auto host = host_->Machine().Files().HostPath(path);
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
