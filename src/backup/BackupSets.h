#pragma once

#include <string>
#include <vector>

#include "registry/RegFile.h"

// The reading side of backup sets: listing, restoring and deleting them.
namespace vp {

struct TBackupSetInfo {
  std::string description;  // "Header"/"Text", or the caller's text for sets without one
  std::string dateTime;     // "Header"/"DateTime"
  std::string folder;       // the set folder, with a trailing backslash
};

// Every sub-folder of the backups folder that holds "Index.dat", in
// directory order. noDescriptionText stands for an empty description.
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
  // "Entries.reg" did not read whole: the restore stopped before changing
  // anything at all.
  bool refused = false;
  int operationsApplied = 0;
  std::vector<TRegFileProblem> registryProblems;

  int filesRestored = 0;
  std::vector<std::string> filesFailed;  // the original paths not restored

  // Everything the set holds was put back.
  bool Complete() const {
    return openWith != Step::kFailed && registry != Step::kFailed && filesFailed.empty();
  }
};

// Restores one set: checks "Entries.reg" whole (a set whose file has any
// line that cannot be applied changes nothing), then for type 7 removes the
// "NoOpenWith" value named in "Strings.dat", applies "Entries.reg" and copies
// the saved files back over their original paths.
TRestoreReport RestoreBackupSet(const std::string& setFolder);

// Deletes the set folder with everything in it; true when it is gone.
bool DeleteBackupSet(const std::string& setFolder);

}  // namespace vp
