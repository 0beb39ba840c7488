#pragma once

#include <array>
#include <chrono>

#include "manager/ManagerRows.h"
#include "manager/TabBuffer.h"

namespace vp {

// The buffers of the ten tabs, index = tab.
using TTabBuffers = std::array<TTabBuffer, kTabCount>;

// The pacing of the manager threads, and their priority. The defaults keep
// a list from flickering on screen and the window ahead of the lists; tests
// shorten them.
struct TManagerTimings {
  // The threads run at idle priority; a benchmark runs them at normal.
  bool idlePriority = true;
  // A fill thread fills again no sooner than this after its last fill ended;
  // a request that comes sooner waits, it is not dropped.
  std::chrono::milliseconds fillSpacing{5000};
  // How long a fill waits for another fill of the same tab to end.
  std::chrono::milliseconds fillWait{10000};
  // How long an update waits for the fill of the tab on screen to end.
  std::chrono::milliseconds transferWait{10000};
  // Transfers of the same tab at most this often.
  std::chrono::milliseconds transferSpacing{1000};
  // An unchanged list of more than 100, 200, 300, 400 rows is shown again
  // only after 5, 8, 11, 15 seconds; a smaller one at every update.
  std::array<std::chrono::milliseconds, 4> unchangedSpacing{
      std::chrono::milliseconds(5000), std::chrono::milliseconds(8000), std::chrono::milliseconds(11000),
      std::chrono::milliseconds(15000)};
  // A requested count repeats this often.
  std::chrono::milliseconds countSpacing{2000};
};

}  // namespace vp
