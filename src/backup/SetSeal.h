#pragma once

#include <string>
#include <vector>

// The record that closes a backup set: when the tool finishes a set it
// appends to "Index.dat" how the action ended and the SHA-1 digest of every
// file the set holds. A set without that record was never finished (its
// writer was killed); a set whose files no longer match it was changed
// afterwards. Restores trust only a finished, unchanged set.
namespace vp::backup {

enum class SetState {
  kComplete,     // finished after the whole action
  kInterrupted,  // finished early: it holds exactly what the action changed
  kUnfinished,   // no closing record: killed while written, or never a set
};

struct SetSeal {
  SetState state = SetState::kUnfinished;
  // What no longer matches the record, one line each ("Entries.reg changed",
  // "extra file x.dll", "missing file y.dll"); empty for an unchanged set.
  std::vector<std::string> differences;

  bool Trusted() const { return state != SetState::kUnfinished && differences.empty(); }
};

// Appends the closing record to the set's "Index.dat", digesting every file
// now in the set folder (with a trailing backslash). False when the set has
// no index or the record could not be written.
bool SealSet(const std::string& setFolder, bool interrupted);

// The state the record gives, without comparing the files.
SetState RecordedSetState(const std::string& setFolder);

// Reads the closing record and compares the set's files with it.
SetSeal CheckSetSeal(const std::string& setFolder);

// "complete", "interrupted" or "interrupted, never finished".
const char* SetStateText(SetState state);

}  // namespace vp::backup
