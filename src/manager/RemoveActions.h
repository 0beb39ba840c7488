#pragma once

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "manager/ManagerRows.h"
#include "manager/ManagerView.h"

namespace vp {

// A ticked row of a manager list, as the list shows it.
using TRemoveItem = TListRow;

// What Remove did with one ticked row.
struct TRemoveOutcome {
  enum class Kind {
    kRemoved,       // backed up, then removed
    kBackupFailed,  // the backup failed: nothing of it was changed
    kRemoveFailed,  // backed up, but the system refused the change
    kNotFound,      // nothing to remove any more
  };
  std::string caption;
  Kind kind = Kind::kNotFound;
  std::vector<std::string> setFolders;  // the backup sets written for it
};

struct TRemoveContext {
  std::string backupsFolder;  // with a trailing backslash
  std::string description;
  TManagerTexts texts;             // the texts the rows were read with
  std::function<void()> progress;  // one step per row; may be empty
};

// The Remove action of a manager tab on the ticked rows, one outcome per
// row: each row's entries are written to a backup set of their own (type
// code = tab) before they are removed, and a row whose backup fails keeps
// its entries. A row that matches nothing writes no set. Empty for a tab
// without an action here (the cleaner's, and tab 0 for now).
std::optional<std::vector<TRemoveOutcome>> RemoveRows(int tab, const std::vector<TRemoveItem>& ticked,
                                                      const TRemoveContext& context);

}  // namespace vp
