#pragma once

// The native program's stand-in for a Windows machine: a simulated one whose
// registry is loaded from a .reg file and whose drive letters are host
// folders. After a command that changed the registry, the whole registry is
// written back to the file.

#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/FileSystem.h"
#include "platform/Platform.h"

namespace vp::platform::sim {
class SimMachine;
}

namespace vp::cli {

struct DriveMapping {
  char letter = 'C';  // upper case
  std::string hostFolder;
  platform::DriveType type = platform::DriveType::Fixed;
};

// "C=DIR" or "C=DIR:TYPE" with TYPE one of fixed, cdrom, remote, removable,
// ramdisk. Empty, with error set, when the text is not one of those forms.
std::optional<DriveMapping> ParseDriveMapping(std::string_view text, std::string& error);

class MachineMode {
 public:
  MachineMode();
  ~MachineMode();  // puts the services back that were installed before
  MachineMode(const MachineMode&) = delete;
  MachineMode& operator=(const MachineMode&) = delete;

  // Builds the machine: the drives mapped, the program folder (a host
  // folder) reachable as the highest letter no drive uses, as a network
  // drive so that no scan or search looks at it, and the registry loaded
  // from registryFile when one is given. Installs the machine's services.
  // False, with error set and nothing installed, when a folder does not
  // exist, two drives share a letter, the .reg file is a folder or cannot be
  // read or applied whole, or what it loads could not be written back.
  bool Build(const std::string& registryFile, const std::vector<DriveMapping>& drives,
             const std::string& programHostFolder, std::string& error);

  // The program folder as the program sees it ("Z:\").
  const std::string& ProgramFolder() const { return programFolder_; }

  // Writes the whole registry back to the .reg file it was loaded from when
  // it changed since (see ReplaceHostFile: a link is written through). True
  // without a file or a change.
  bool SaveRegistry(std::string& error);

 private:
  std::unique_ptr<platform::sim::SimMachine> machine_;
  platform::Services previous_;
  bool installed_ = false;
  std::string registryFile_;
  std::string loadedText_;  // the registry as it would be written when loaded or last saved
  std::string programFolder_;
};

}  // namespace vp::cli
