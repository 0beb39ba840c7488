#pragma once

// Which buttons of the bottom bar are shown and usable, from the state of
// the window; and where the shown ones go.

#include <vector>

namespace vp::shell {

struct ButtonInputs {
  int tab = 0;
  int checkedCount = 0;         // ticked rows as last counted
  bool selectedTicked = false;  // the selected row is ticked
  bool scanRunning = false;     // the scan-progress panel is shown
  bool newScanWanted = false;   // New Scan was offered (after Cancel or a scan's end)
};

struct ButtonStates {
  bool fixVisible = false;
  bool fixEnabled = false;
  bool removeEnabled = false;
  bool uninstallVisible = false;
  bool uninstallEnabled = false;
  bool newScanVisible = false;
  int checkedCount = 0;  // raised to 1 when only the selected row is ticked
};

ButtonStates ComputeButtons(const ButtonInputs& in);

// The bottom bar's buttons in their order: New Scan, Backups, Uninstall,
// Fix, Remove, Close. Each shown one starts where the one before it ends,
// less one pixel, so that neighbours share their border. Hidden buttons get
// -1. The bar is as wide as the shown buttons together.
struct BarLayout {
  std::vector<int> lefts;
  int width = 0;
};
BarLayout LayoutBar(const std::vector<int>& widths, const std::vector<bool>& visible);

// The status bar's height at a DPI: twice the scale rounded half to even, + 19.
int StatusBarHeight(int dpi);

// A length designed at 96 DPI, at dpi (rounded to nearest).
int Scale(int length, int dpi);

}  // namespace vp::shell
