#pragma once

// The tab control's rules: no change during a scan, at most about one a
// second; and the sort order each tab remembers.

#include <cstdint>

namespace vp {
class TSettingsManager;
}

namespace vp::shell {

class TTabLock {
 public:
  bool CanChange() const { return !scanning_ && !settling_; }
  void ScanStarted() { scanning_ = true; }
  void ScanEnded() { scanning_ = false; }
  // A change was made: locked until Settled (the window's one-second timer).
  void Changed() { settling_ = true; }
  void Settled() { settling_ = false; }
  bool Settling() const { return settling_; }

 private:
  bool scanning_ = false;
  bool settling_ = false;
};

struct SortOrder {
  int column = 0;
  int direction = 1;  // 1 ascending, -1 descending
};

// The saved sort order of a tab: file "Sortting", section "MainForm:" + tab,
// keys "SortColumn" and "SortDir". A value the list cannot use (a column
// beyond its columns, a direction other than 1 and -1) reads as the default.
SortOrder LoadSortOrder(TSettingsManager& settings, int tab, int columnCount);
void SaveSortOrder(TSettingsManager& settings, int tab, const SortOrder& order);

}  // namespace vp::shell
