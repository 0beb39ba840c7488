#pragma once

// What the scan benchmarks compare: a bare walk of the registry (the least
// any scan must do) and the scans themselves, both on the installed registry.

#include <cstdint>
#include <vector>

#include "platform/Registry.h"

namespace vp::bench {

struct TWalkTotals {
  int64_t keys = 0;
  int64_t values = 0;
  int64_t bytes = 0;  // value data read
  int64_t existenceTests = 0;
};

// On one thread: opens every key below the root once, lists its sub-keys and
// values, and reads every value once. Keys that refuse to open are skipped.
TWalkTotals BareWalk(platform::RegHandle root);

// The bare walk over every distinct key: HKEY_LOCAL_MACHINE and HKEY_USERS
// (the other roots are views into these two).
TWalkTotals BareWalkAll();

// The bare walk plus one existence test for every text value that names a
// path (its most plausible path): the least a scan that checks file
// references must do on top of reading the registry.
TWalkTotals WalkAndTestAll();

struct TScanTotals {
  int64_t keys = 0;
  int64_t values = 0;
  int64_t items = 0;
  int threads = 0;
};

// One scan as the command line runs it, on the calling thread's dispatcher,
// at normal thread priority (the interactive default, idle priority, would
// let any other process on the machine decide the figure). areas, when not
// empty, selects the areas to run.
TScanTotals RunScan(bool deep, const std::vector<int32_t>& areas = {});

}  // namespace vp::bench
