#pragma once

// What the manager benchmarks compare: the fills of the nine manager lists
// and a bare walk of the keys their readers look at, on the installed
// registry.

#include <cstdint>

#include "support/BenchWork.h"

namespace vp::bench {

// On one thread, through the registry interface: every key the readers of
// the nine tabs look into, opened once, its values read and its sub-keys
// listed, to the depth they look (the vendor and program keys under each
// Software key, the uninstall entries, each class with its verbs and their
// commands, the applications, the Run keys, the browser and Search menu
// entries), in both registry views.
TWalkTotals BareWalkManagerKeys();

// The rows of one tab's reader run alone on this thread.
int64_t FillTab(int tab);

// The nine fill threads asked together, as the window does at start; waits
// until every one has published its list. The rows of all nine.
int64_t FillAllTabs();

}  // namespace vp::bench
