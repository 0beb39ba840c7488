#pragma once

#include <gtest/gtest.h>

#include <cctype>
#include <filesystem>
#include <string>

#include "platform/Platform.h"
#include "platform/sim/SimMachine.h"
#include "support/SimHost.h"

namespace vp::test {

// Drives the real system here cannot offer (optical, network, absent, small):
// a simulated file system installed for the test, each drive a fresh host
// folder below host_; the registry stays the current one.
class SimDrivesTest : public ::testing::Test {
 protected:
  // Maps a drive to a host folder named by its letter (left uncreated for a
  // drive with no root).
  void Map(char letter, platform::DriveType type) {
    const std::filesystem::path folder =
        host_.Folder() / std::string(1, static_cast<char>(std::tolower(letter)));
    if (type != platform::DriveType::NoRootDir) std::filesystem::create_directories(folder);
    host_.Machine().Files().MapDrive(letter, folder, type);
  }

  SimHost host_{{.mapDriveC = false, .ownRegistry = false}};
};

}  // namespace vp::test
