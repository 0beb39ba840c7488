#pragma once

// The states of a scan as the window shows them, and the guard that notices
// a stalled scan. The scan ends when its last thread has ended, never on a
// timer: the guard only says which areas have stood still, so that the end
// report and Fix rest on a complete list.

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace vp::shell {

enum class ScanPhase {
  Options,   // the scan-options panel is shown
  Hidden,    // Cancel hid the options; New Scan brings them back
  Running,   // the scan-progress panel is shown, tabs are locked
  Finished,  // the end report was given; New Scan is offered
};

struct ScanCounters {
  int64_t keys = 0;
  int64_t values = 0;
  int64_t invalid = 0;
  bool operator==(const ScanCounters&) const = default;
};

class TScanControl {
 public:
  ScanPhase Phase() const { return phase_; }
  bool Running() const { return phase_ == ScanPhase::Running; }
  bool OptionsVisible() const { return phase_ == ScanPhase::Options; }
  bool NewScanOffered() const { return phase_ == ScanPhase::Hidden || phase_ == ScanPhase::Finished; }

  // Start pressed: true when a scan may start now (the options are shown).
  bool Start();
  // The scan could not start after all: back to the options.
  void StartFailed();
  void Cancel();   // hides the options
  void NewScan();  // shows them again
  // The tab changed (never during a scan): the cleaner tab shows the
  // options again, over an empty list.
  void TabShown();

  // The last scan thread has ended: true exactly once per scan, when the
  // end report is due.
  bool Finished();

  // One watchdog interval passed with these counters and these areas still
  // running. Returns the areas that stood still for the whole interval
  // (empty while anything moved, or when no scan runs); the scan goes on.
  std::vector<int32_t> WatchdogTick(const ScanCounters& counters, const std::vector<int32_t>& runningAreas);
  bool Stalled() const { return stalled_; }

 private:
  ScanPhase phase_ = ScanPhase::Options;
  bool stalled_ = false;
  bool haveSnapshot_ = false;
  ScanCounters snapshot_;
};

// The status text while a scan has stood still for one interval: the
// language's text with {1} = the areas still running ("3, 7"). A text that
// is empty or takes no {1} gives the English one, so a stall is never
// reported by an empty status line.
std::string StalledText(std::string_view languageText, const std::vector<int32_t>& areas);

}  // namespace vp::shell
