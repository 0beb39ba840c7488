#pragma once

// The whole registry as one "REGEDIT4" import file: what the native program
// writes back after a command that changed the simulated registry.

#include <optional>
#include <string>
#include <vector>

#include "platform/Registry.h"

namespace vp::cli {

struct RegistryRootExport {
  platform::RegHandle root = platform::kNoKey;
  // Sub-keys of the root left out (another root shows them, as
  // HKEY_CURRENT_USER shows the user's key below HKEY_USERS).
  std::vector<std::string> skipped;
};

// Every key below the roots in pre-order (a key's section before its
// sub-keys'), empty keys included, as 8-bit text with CR LF line ends. Keys
// and values whose names have no form in the code page are left out (no .reg
// file can have made them). Empty, with the reason when asked for, when any
// other key or value cannot be written exactly (a value on a root, a name
// with a line break): a file that lost something must not replace the one it
// came from.
std::optional<std::string> RegistryFileText(const std::vector<RegistryRootExport>& roots,
                                            std::string* reason = nullptr);

}  // namespace vp::cli
