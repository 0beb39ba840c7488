#include "manager/ManagerRows.h"

#include <unordered_set>

namespace vp {

std::string JoinColumns(const StringList& columns) {
  std::string text;
  for (size_t i = 0; i < columns.size(); ++i) {
    if (i > 0) text += kColumnSeparator;
    text += columns[i];
  }
  return text;
}

StringList SplitColumns(std::string_view columns) {
  StringList parts;
  if (columns.empty()) return parts;
  while (parts.size() < kMaxSubItems) {
    const size_t at = columns.find(kColumnSeparator);
    parts.emplace_back(columns.substr(0, at));
    if (at == std::string_view::npos) break;
    columns.remove_prefix(at + kColumnSeparator.size());
  }
  return parts;
}

void DropRepeatedRows(std::vector<TManagerRow>& rows) {
  // One pass with a set of the keys seen, in the fixed case table's upper
  // case, instead of comparing every pair.
  std::unordered_set<std::string> seen;
  std::vector<TManagerRow> kept;
  kept.reserve(rows.size());
  for (auto& row : rows) {
    if (seen.insert(FixedUpperText(row.caption + " ||| " + row.columns) + (row.view32 ? "|32" : "|64"))
            .second)
      kept.push_back(std::move(row));
  }
  rows = std::move(kept);
}

bool TRowCollector::AddRow(std::string caption, std::string columns) {
  if (Aborted()) return false;
  if (caption.empty()) return true;
  rows_.push_back({std::move(caption), std::move(columns), view32_});
  return true;
}

}  // namespace vp
