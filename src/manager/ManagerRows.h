#pragma once

#include <atomic>
#include <string>
#include <string_view>
#include <vector>

#include "files/StringTools.h"

namespace vp {

// The tabs of the main window; 0 to 8 are the manager views, 9 the cleaner.
inline constexpr int kTabCount = 10;
inline constexpr int kCleanerTab = 9;

// Joins the texts of a row's further columns.
inline constexpr std::string_view kColumnSeparator = "\xFF\xFE\xFF";
// A list item takes at most this many sub-items.
inline constexpr size_t kMaxSubItems = 100;

// One row of a manager list: the first column and the texts of the others,
// joined with the column separator.
struct TManagerRow {
  std::string caption;
  std::string columns;
  // Read from the 32-bit programs' view of the registry; Remove acts there.
  bool view32 = false;

  bool operator==(const TManagerRow&) const = default;
};

// The texts the readers show for what they cannot name; the language file
// replaces them.
struct TManagerTexts {
  std::string unknown = "[Unknown]";
  std::string directory = "[Directory]";
  std::string allFiles = "[All files]";
  std::string noValue = "N/A";
};

std::string JoinColumns(const StringList& columns);
// The sub-items of a columns text: none for an empty text, else the parts
// between separators (the last one included), at most kMaxSubItems.
StringList SplitColumns(std::string_view columns);

// Removes every row whose caption and columns equal (without regard to case)
// those of an earlier row of the same registry view.
void DropRepeatedRows(std::vector<TManagerRow>& rows);

// Where a reader puts its rows. A row with an empty caption is never added
// (and ends nothing); once the fill is aborted AddRow refuses every row and
// returns false, and the reader ends its walk.
class TRowCollector {
 public:
  explicit TRowCollector(const std::atomic<bool>* abort = nullptr) : abort_(abort) {}

  bool AddRow(std::string caption, std::string columns);
  bool AddRow(std::string caption, const StringList& columns) {
    return AddRow(std::move(caption), JoinColumns(columns));
  }
  // The registry view the rows added from now on come from.
  void SetView32(bool view32) { view32_ = view32; }
  bool Aborted() const { return abort_ != nullptr && abort_->load(std::memory_order_relaxed); }

  std::vector<TManagerRow>& Rows() { return rows_; }

 private:
  const std::atomic<bool>* abort_;
  bool view32_ = false;
  std::vector<TManagerRow> rows_;
};

}  // namespace vp
