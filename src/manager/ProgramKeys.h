#pragma once

#include <string>
#include <vector>

#include "platform/Registry.h"

namespace vp {

struct TProgramKey {
  platform::RegHandle root = platform::kNoKey;
  std::string path;  // by the name a 64-bit program opens it

  bool operator==(const TProgramKey&) const = default;
};

// The keys that belong to a program of the installed-software list, looked
// for in the registry view of its row: its keys under Software (by vendor
// and program, or by program alone when the vendor is unknownText), and,
// unless the name is too short to tell, its application, App Paths,
// compatibility, uninstall, install-cache and Start-menu order keys under
// the name with the usual program suffixes; unless the name is a generic
// word, also the classes whose open command or description names it and the
// applications and cache entries that mention it. Names compare without
// regard to case. Only the outermost keys are given: each stands for its
// whole tree.
std::vector<TProgramKey> FindProgramKeys(const std::string& vendor, const std::string& program, bool view32,
                                         const std::string& unknownText);

// Drops the keys that lie below another key of the list, and repeats.
void KeepOutermost(std::vector<TProgramKey>& keys);

// The names a program of the list is also known by: the name without a
// trailing version number ("Foo 2.5.1" is also "Foo"), and the part before
// ".exe", "trial", "demo" or " by "; only those longer than 3 characters
// that differ from the name itself.
std::vector<std::string> ProgramNameVariants(const std::string& program);

}  // namespace vp
