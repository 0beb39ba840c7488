#pragma once

#include <string>

#include "platform/Platform.h"
#include "platform/Registry.h"
#include "registry/KeyAddress.h"

namespace vp::test {

// The address of a key below HKEY_CURRENT_USER, where the tests keep theirs.
inline TKeyAddress UserKey(std::string path) {
  return {platform::kHkeyCurrentUser, std::move(path)};
}

// Deletes a key and everything below it through the seam; true when the key
// is gone afterwards (also when it was never there).
bool DeleteRegistryTree(platform::Registry& registry, platform::RegHandle root, const std::string& path);

// A scratch key HKEY_CURRENT_USER\Software\VeltaroTest\<name of the running
// test>, created empty and removed with everything below it at the end, so
// tests on the real registry leave nothing behind.
class ScratchKey {
 public:
  explicit ScratchKey(platform::Registry& registry = platform::Reg());
  ~ScratchKey();
  ScratchKey(const ScratchKey&) = delete;
  ScratchKey& operator=(const ScratchKey&) = delete;

  // Path below HKEY_CURRENT_USER, without a leading backslash.
  const std::string& Path() const { return path_; }
  // "HKEY_CURRENT_USER\" + Path().
  std::string FullPath() const { return "HKEY_CURRENT_USER\\" + path_; }
  // An open handle with full access (owned here).
  platform::RegHandle Handle() const { return handle_; }
  bool Ok() const { return handle_ != platform::kNoKey; }

 private:
  platform::Registry& registry_;
  std::string path_;
  platform::RegHandle handle_ = platform::kNoKey;
};

}  // namespace vp::test
