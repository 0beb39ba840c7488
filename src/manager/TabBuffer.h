#pragma once

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <mutex>
#include <optional>
#include <vector>

#include "manager/ManagerRows.h"

namespace vp {

// The rows of one tab, shared by the tab's fill and the screen updater.
//
// A fill gathers its rows apart and publishes them whole, so the updater
// sees the last complete list or the next one, never a list in the making;
// the mutex keeps a publication and a copy from overlapping. A transfer asked
// for while the tab's fill runs waits for its end, so that it shows the new
// list rather than the one being replaced.
class TTabBuffer {
 public:
  enum class State : uint8_t { Idle = 0, Filling = 1, Showing = 2 };

  struct Published {
    std::vector<TManagerRow> rows;
    uint64_t generation = 0;  // counts publications; 0 before the first
  };

  State CurrentState() const { return state_.load(); }

  // Starts a fill; false while another fill of this tab runs.
  bool BeginFill();
  // Ends the fill with its rows (repeated rows dropped) in place of the old.
  void Publish(std::vector<TManagerRow> rows);
  // Ends the fill and keeps the old rows (an aborted fill).
  void Abandon();

  // The published rows for a transfer, after waiting at most `wait` while a
  // fill runs; empty when the fill still runs then or `cancelled` holds
  // (asked every 100 ms at most while waiting).
  std::optional<Published> TakeForTransfer(std::chrono::milliseconds wait,
                                           const std::function<bool()>& cancelled = {});
  // Ends what TakeForTransfer began.
  void EndTransfer();

  uint64_t Generation() const;

 private:
  void EndFill();

  mutable std::mutex mutex_;
  std::condition_variable fillEnded_;
  bool filling_ = false;
  int transfers_ = 0;
  std::atomic<State> state_{State::Idle};
  Published published_;
};

}  // namespace vp
