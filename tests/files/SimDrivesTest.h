#pragma once

#include <gtest/gtest.h>

#include <cctype>
#include <filesystem>
#include <string>

#include "platform/Platform.h"
#include "platform/sim/SimMachine.h"

namespace vp::test {

// Drives the real system here cannot offer (optical, network, absent, small):
// a simulated file system installed for the test, each drive a fresh host
// folder below host_; the registry stays the current one.
class SimDrivesTest : public ::testing::Test {
 protected:
  void SetUp() override {
    const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
    host_ = std::filesystem::temp_directory_path() /
            ("vp-drives-" + std::string(info->test_suite_name()) + "-" + info->name());
    std::filesystem::remove_all(host_);
    previous_ = platform::Current();
    auto services = machine_.Services();
    services.registry = previous_.registry;
    platform::Install(services);
  }
  void TearDown() override {
    platform::Install(previous_);
    std::filesystem::remove_all(host_);
  }

  // Maps a drive to host_/<letter> (left uncreated for a drive with no root).
  void Map(char letter, platform::DriveType type) {
    const std::filesystem::path folder = host_ / std::string(1, static_cast<char>(std::tolower(letter)));
    if (type != platform::DriveType::NoRootDir) std::filesystem::create_directories(folder);
    machine_.Files().MapDrive(letter, folder, type);
  }

  std::filesystem::path host_;
  platform::sim::SimMachine machine_;
  platform::Services previous_;
};

}  // namespace vp::test
