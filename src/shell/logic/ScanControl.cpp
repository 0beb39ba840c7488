#include "shell/logic/ScanControl.h"

#include "files/StringTools.h"

namespace vp::shell {

bool TScanControl::Start() {
  if (phase_ != ScanPhase::Options) return false;
  phase_ = ScanPhase::Running;
  stalled_ = false;
  haveSnapshot_ = false;
  return true;
}

void TScanControl::StartFailed() {
  if (phase_ == ScanPhase::Running) phase_ = ScanPhase::Options;
}

void TScanControl::Cancel() {
  if (phase_ == ScanPhase::Options) phase_ = ScanPhase::Hidden;
}

void TScanControl::NewScan() {
  if (phase_ == ScanPhase::Hidden || phase_ == ScanPhase::Finished) phase_ = ScanPhase::Options;
}

void TScanControl::TabShown() {
  // A finished scan's rows are gone once the tab changed: the cleaner tab
  // offers the options again.
  if (phase_ != ScanPhase::Running) phase_ = ScanPhase::Options;
}

bool TScanControl::Finished() {
  if (phase_ != ScanPhase::Running) return false;
  phase_ = ScanPhase::Finished;
  stalled_ = false;
  return true;
}

std::vector<int32_t> TScanControl::WatchdogTick(const ScanCounters& counters,
                                                const std::vector<int32_t>& runningAreas) {
  if (phase_ != ScanPhase::Running) return {};
  const bool still = haveSnapshot_ && counters == snapshot_;
  snapshot_ = counters;
  haveSnapshot_ = true;
  stalled_ = still && !runningAreas.empty();
  return stalled_ ? runningAreas : std::vector<int32_t>{};
}

std::string StalledText(std::string_view languageText, const std::vector<int32_t>& areas) {
  std::string list;
  for (size_t i = 0; i < areas.size(); ++i) list += (i == 0 ? "" : ", ") + std::to_string(areas[i]);
  std::string text = FormatPlaceholders(languageText, list);
  if (text.empty()) text = FormatPlaceholders("No progress for a while; areas still running: {1}", list);
  return text;
}

}  // namespace vp::shell
