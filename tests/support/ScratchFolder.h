#pragma once

#include <filesystem>
#include <memory>
#include <string>
#include <string_view>

#include "support/SimHost.h"

namespace vp::test {

// A fresh folder for a test that touches files, removed with everything in it
// when the object goes. Under Wine it lies in the real user's temporary
// folder. Natively a simulated machine is installed as the current services
// for the object's lifetime: C: is a new host folder holding the usual
// Windows, system and temporary folders, and the scratch folder lies in the
// temporary one. Either way Root() is a Windows path such as
// "C:\users\user\Temp\vpscratch1234x0\".
class ScratchFolder {
 public:
  ScratchFolder();
  ~ScratchFolder();
  ScratchFolder(const ScratchFolder&) = delete;
  ScratchFolder& operator=(const ScratchFolder&) = delete;

  // The folder as a Windows path with a trailing backslash.
  const std::string& Root() const { return root_; }
  // Root() + relative (backslashes).
  std::string Path(std::string_view relative) const { return root_ + std::string(relative); }
  // The same place as a path the test itself can open with std::filesystem.
  std::filesystem::path Host(std::string_view relative = {}) const;

  // Creates a file (and its folders) behind the program's back.
  void PutFile(std::string_view relative, std::string_view bytes = {}) const;
  void PutFolder(std::string_view relative) const;

  // The simulated machine natively; null under Wine.
  platform::sim::SimMachine* Sim() const { return host_ ? &host_->Machine() : nullptr; }

 private:
  std::unique_ptr<SimHost> host_;  // natively
  std::string root_;
};

}  // namespace vp::test
