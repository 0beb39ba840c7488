#pragma once

#include <string>
#include <vector>

#include "backup/SetSeal.h"
#include "registry/RegFile.h"

// The reading side of backup sets: listing, restoring and deleting them.
namespace vp {

struct TBackupSetInfo {
  std::string description;  // "Header"/"Text", or the caller's text for sets without one
  std::string dateTime;     // "Header"/"DateTime"
  std::string folder;       // the set folder, with a trailing backslash
  backup::SetState state = backup::SetState::kUnfinished;
  // A folder named as a set that never received its "Index.dat" (its writer
  // was killed at once): listed so that it can be removed.
  bool hasIndex = true;
};

// Every sub-folder of the backups folder that holds "Index.dat", and every
// folder named as a set (six hex digits) without one, in directory order.
// noDescriptionText stands for an empty description.
std::vector<TBackupSetInfo> ListBackupSets(const std::string& backupsFolder,
                                           const std::string& noDescriptionText);

// What a restore did. Nothing counts as done that was not carried out.
struct TRestoreReport {
  enum class Step { kNotNeeded, kDone, kFailed };

  int typeCode = -1;  // from "Index.dat"; -1 when absent or not a number
  // The "NoOpenWith" value that a type-7 set's action added.
  Step openWith = Step::kNotNeeded;
  std::string openWithKey;  // the HKEY_CLASSES_ROOT sub-key it names

  // "Entries.reg": kNotNeeded when the set has none; kFailed when it does not
  // read whole or an operation failed.
  Step registry = Step::kNotNeeded;
  // The restore stopped before changing anything at all: "Entries.reg" did
  // not read whole or held a line no backup writes (registryProblems says
  // which), or the set is unfinished or changed since it was finished
  // (untrusted) and the restore was not forced.
  bool refused = false;
  // The set's closing record: its state and what differs from it.
  backup::SetSeal seal;
  bool untrusted = false;
  int operationsApplied = 0;
  std::vector<TRegFileProblem> registryProblems;

  int filesRestored = 0;
  std::vector<std::string> filesFailed;  // the original paths not restored

  // Everything the set holds was put back.
  bool Complete() const {
    return !refused && openWith != Step::kFailed && registry != Step::kFailed && filesFailed.empty();
  }
};

// Restores one set. First the checks, which refuse the set whole: every line
// of "Entries.reg" must be one a backup writes (a key, a value set back;
// never a deletion), and the set must be finished and unchanged since (see
// SetSeal) unless force is given. Then for type 7 removes the "NoOpenWith"
// value named in "Strings.dat", applies "Entries.reg" and copies the saved
// files back over their original paths.
TRestoreReport RestoreBackupSet(const std::string& setFolder, bool force = false);

// Deletes the set folder with everything in it; true when it is gone.
bool DeleteBackupSet(const std::string& setFolder);

}  // namespace vp
