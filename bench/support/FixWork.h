#pragma once

// What the fix benchmarks time: the cleaner's Fix over many findings on the
// installed registry, so that the time per finding can be compared between
// a small and a large fix.

#include <string>
#include <vector>

#include "scanner/SweeperTypes.h"

namespace vp::bench {

// Writes `count` vendor keys below HKEY_CURRENT_USER\keyPath, each with a
// value naming a missing file, and returns one finding per key: every other
// one the whole key, the rest the value (which Fix tries to repair first).
std::vector<TNewItem> PlantVendorFindings(const std::string& keyPath, int count);

// Fixes the findings into a new set below backupsFolder (which must exist)
// and returns the seconds it took; the set is removed afterwards. failed
// counts the findings that were not fixed.
double TimeFix(const std::vector<TNewItem>& items, const std::string& backupsFolder, int& failed);

// Removes the key planted by PlantVendorFindings.
void RemoveVendorKeys(const std::string& keyPath);

}  // namespace vp::bench
