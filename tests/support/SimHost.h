#pragma once

#include <filesystem>
#include <memory>
#include <string>

#include "platform/Platform.h"
#include "platform/sim/SimMachine.h"

namespace vp::test {

// A name no other test of any running test program uses: the prefix, the
// process id and a serial number.
std::string UniqueName(const std::string& prefix);

// Removes a host folder with everything in it, read-only files included.
void RemoveHostFolder(const std::filesystem::path& folder);

// A simulated machine installed as the current services for the object's
// lifetime, beside a fresh host folder that is removed with everything in
// it at the end. Natively this is how a test gets drives and files of its
// own; under Wine the tests that need what the real system cannot offer use
// it the same way.
class SimHost {
 public:
  struct Options {
    // C: is the host folder, holding the Windows, system and temporary
    // folders; otherwise the test maps its drives itself.
    bool mapDriveC = true;
    // The machine's own registry; otherwise the one installed before stays.
    bool ownRegistry = true;
  };
  SimHost();
  explicit SimHost(Options options);
  ~SimHost();
  SimHost(const SimHost&) = delete;
  SimHost& operator=(const SimHost&) = delete;

  platform::sim::SimMachine& Machine() const { return *machine_; }
  // The host folder (mapped to C: unless the options said otherwise).
  const std::filesystem::path& Folder() const { return folder_; }

 private:
  std::unique_ptr<platform::sim::SimMachine> machine_;
  platform::Services previous_;
  std::filesystem::path folder_;
};

}  // namespace vp::test
