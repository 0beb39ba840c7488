#pragma once

// Fix and Remove on the ticked rows of the main window's list, apart from
// the window: which rows leave the list, which stay, and the report. A row
// leaves the list only when its entries are gone from the registry; a row
// whose backup or change failed stays, so that what the list shows is true.

#include <string>
#include <vector>

#include "manager/RemoveActions.h"
#include "scanner/CleanerFix.h"

namespace vp::shell {

struct TListActionResult {
  std::vector<size_t> leaving;  // the ticked rows (their indexes as given) to delete from the list
  std::vector<size_t> staying;  // the ticked rows that failed
  int repaired = 0;
  int removed = 0;
  // One line per failed row: its caption and why.
  std::vector<std::string> failures;
  bool interrupted = false;  // Cancel stopped it between rows
  bool noAction = false;     // the tab has no Remove action
};

// Fix on the cleaner's tab: one backup set, each finding backed up before it
// is repaired or deleted. The failures name the rows in the language given.
TListActionResult FixRows(const std::vector<TNewItem>& ticked, const TFixSettings& settings,
                          const TCleanerLanguage& texts);

// Remove on any tab: the cleaner's findings are backed up and deleted
// without repairs; a manager tab's rows through its Remove action.
TListActionResult RemoveCleanerRows(const std::vector<TNewItem>& ticked, const TFixSettings& settings,
                                    const TCleanerLanguage& texts);
TListActionResult RemoveManagerRows(int tab, const std::vector<TRemoveItem>& ticked,
                                    const TRemoveContext& context);

// The message after Fix: the language's "Reports.3" filled with the numbers
// repaired and removed, followed by the rows that failed.
std::string FixReportText(const TListActionResult& result, const std::string& reportTemplate);

// The message after Remove: empty when every row went, else the rows that
// stayed and why.
std::string RemoveReportText(const TListActionResult& result);

}  // namespace vp::shell
