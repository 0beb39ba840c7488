#pragma once

// The window's side of the manager lists, as the screen updater and the item
// counter see it. The main window implements it; so do the command line and
// the tests. Every call arrives on the dispatcher's owning thread (the window
// thread), handed over with Post: no background thread ever waits for it.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>

#include "files/StringTools.h"

namespace vp {

// A row as the list shows it: its caption, its sub-items (at most 100) and
// the registry view it was read from. Keep it with the list item: Remove
// takes the ticked rows back in this form.
struct TListRow {
  std::string caption;
  StringList subItems;
  bool view32 = false;  // read from the 32-bit programs' view; Remove acts there

  bool operator==(const TListRow&) const = default;
};

// The rows of the list on screen, for the status line.
struct TItemCount {
  int32_t ticked = 0;
  int32_t selected = 0;
  int32_t total = 0;

  bool operator==(const TItemCount&) const = default;
};

class TManagerView {
 public:
  virtual ~TManagerView() = default;

  // An update of the tab on screen begins; its rows may follow (or not, when
  // the list has not changed). A view whose list lost or gained rows by other
  // means reports it through the updater's SetShownCount.
  virtual void OnBeforeUpdate(int tab) = 0;

  // A whole list, always in one sequence within a single call from the
  // queue: OnClear, then, unless the list is empty, OnBeginAdd, one
  // OnAddItem per row in order, and OnEndAdd. So the screen never shows half
  // a list, and a list meant for a tab no longer shown never arrives.
  virtual void OnClear(int tab) = 0;
  virtual void OnBeginAdd(int tab, size_t rowCount) = 0;
  virtual void OnAddItem(int tab, const TListRow& row) = 0;
  virtual void OnEndAdd(int tab) = 0;

  // The item counter's questions: the counts of the list on screen, or
  // nothing when no list is visible (then OnCounted is not called).
  virtual std::optional<TItemCount> CountItems() = 0;
  virtual void OnCounted(const TItemCount& count) = 0;
};

}  // namespace vp
