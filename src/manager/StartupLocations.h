#pragma once

#include <array>
#include <string_view>

#include "platform/Registry.h"

namespace vp {

// The Run keys of the 'Starting programs' tab, in reading order, each with
// the label that shows where a value lives and tells Remove where to find it.
struct TStartupRunKey {
  platform::RegHandle root;
  std::string_view path;
  std::string_view label;
};

inline constexpr std::array<TStartupRunKey, 7> kStartupRunKeys = {{
    {platform::kHkeyCurrentUser, "Software\\Microsoft\\Windows\\CurrentVersion\\Run", "HKEY_CU\\Run"},
    {platform::kHkeyCurrentUser, "Software\\Microsoft\\Windows\\CurrentVersion\\RunOnce", "HKEY_CU\\RunOnce"},
    {platform::kHkeyLocalMachine, "Software\\Microsoft\\Windows\\CurrentVersion\\Run", "HKEY_LM\\Run"},
    {platform::kHkeyLocalMachine, "Software\\Microsoft\\Windows\\CurrentVersion\\RunOnce",
     "HKEY_LM\\RunOnce"},
    {platform::kHkeyLocalMachine, "Software\\Microsoft\\Windows\\CurrentVersion\\RunOnceEx",
     "HKEY_LM\\RunOnceEx"},
    {platform::kHkeyLocalMachine, "Software\\Microsoft\\Windows\\CurrentVersion\\RunServices",
     "HKEY_LM\\RunServices"},
    {platform::kHkeyLocalMachine, "Software\\Microsoft\\Windows\\CurrentVersion\\RunServicesOnce",
     "HKEY_LM\\RunServicesOnce"},
}};

}  // namespace vp
