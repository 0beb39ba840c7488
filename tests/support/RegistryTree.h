#pragma once

#include <cstdint>
#include <map>
#include <ostream>
#include <string>

#include "platform/Registry.h"

namespace vp::test {

// A value as the registry stores it: type and bytes.
struct StoredValue {
  uint32_t type = 0;
  std::string data;
  bool operator==(const StoredValue&) const = default;
};
void PrintTo(const StoredValue& value, std::ostream* out);

// A key tree as read back: relative key path ("" for the top, "a\b" below)
// to its values by name, names exactly as enumerated. Empty when the top key
// is missing; a key without values is there with an empty map.
using TreeSnapshot = std::map<std::string, std::map<std::string, StoredValue>>;

// Reads the tree at path below root on the installed registry. A key or
// value that cannot be listed fails the running test: a snapshot that left
// something out would compare equal to a damaged tree.
TreeSnapshot SnapshotTree(platform::RegHandle root, const std::string& path);

}  // namespace vp::test
