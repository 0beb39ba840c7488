#include "shell/logic/ButtonStates.h"

#include <cmath>

#include "shell/logic/TabColumns.h"

namespace vp::shell {

ButtonStates ComputeButtons(const ButtonInputs& in) {
  ButtonStates out;
  out.checkedCount = in.checkedCount < 1 && in.selectedTicked ? 1 : in.checkedCount;
  out.fixVisible = in.tab == kCleanerTabIndex;
  out.newScanVisible = out.fixVisible && in.newScanWanted && !in.scanRunning;
  out.uninstallVisible = in.tab == kUninstallTabIndex;
  out.uninstallEnabled = out.uninstallVisible && out.checkedCount == 1;
  const bool some = out.checkedCount >= 1 && !in.scanRunning;
  out.fixEnabled = out.fixVisible && some;
  out.removeEnabled = some;
  return out;
}

BarLayout LayoutBar(const std::vector<int>& widths, const std::vector<bool>& visible) {
  BarLayout layout;
  int left = 0;
  int total = 0;
  bool first = true;
  for (size_t i = 0; i < widths.size(); ++i) {
    if (i >= visible.size() || !visible[i]) {
      layout.lefts.push_back(-1);
      continue;
    }
    if (!first) left -= 1;
    first = false;
    layout.lefts.push_back(left);
    left += widths[i];
    total += widths[i];
  }
  layout.width = total;
  return layout;
}

int StatusBarHeight(int dpi) {
  return static_cast<int>(std::nearbyint(dpi / 96.0 * 2.0)) + 19;
}

int Scale(int length, int dpi) {
  return static_cast<int>(std::lround(length * static_cast<double>(dpi) / 96.0));
}

}  // namespace vp::shell
