#pragma once

// A registry key address: the root handle and the path below it, parsed once
// from the key path notation ("HKEY_LOCAL_MACHINE\Software\Vendor") instead of
// a root name carried as text and split again where it is used.

#include <optional>
#include <string>
#include <string_view>

#include "platform/Registry.h"

namespace vp {

struct TKeyAddress {
  platform::RegHandle Root = platform::kNoKey;
  std::string Path;  // below the root; no leading or trailing backslash; "" for the root itself

  // The address of a full key path: a full root name (any case), then
  // optionally a backslash and the path. Nothing for any other root text (a
  // short form, HKEY_PERFORMANCE_DATA, blanks around the name): an unknown
  // root is an error, never a default.
  static std::optional<TKeyAddress> Parse(std::string_view fullPath);

  // The full root name; "" for an address without a root.
  std::string RootName() const;
  // The key path notation: the root name, and a backslash and the path when
  // there is one.
  std::string Text() const;

  bool operator==(const TKeyAddress&) const = default;
};

}  // namespace vp
