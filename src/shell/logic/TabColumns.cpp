#include "shell/logic/TabColumns.h"

namespace vp::shell {

const std::vector<std::string_view>& TabColumnIds(int tab) {
  static const std::vector<std::vector<std::string_view>> columns = {
      {"Columns.1", "Columns.2"},
      {"Columns.4", "Columns.5", "Columns.9", "Columns.21", "Columns.6"},
      {"Columns.2"},
      {"Columns.8", "Columns.9"},
      {"Columns.8", "Columns.9", "Columns.4"},
      {"Columns.8", "Columns.11", "Columns.21"},
      {"Columns.20"},
      {"Columns.4"},
      {"Columns.13"},
      {"Columns.15", "Columns.17", "Columns.22"},
  };
  static const std::vector<std::string_view> none;
  return tab >= 0 && tab < kTabs ? columns[static_cast<size_t>(tab)] : none;
}

bool SameColumns(const StringList& shown, const StringList& wanted) {
  if (shown.size() != wanted.size()) return false;
  for (size_t i = 0; i < shown.size(); ++i)
    if (!SameText(shown[i], wanted[i])) return false;
  return true;
}

int InitialColumnWidth(int listWidth, int columnCount) {
  return columnCount > 0 ? listWidth / columnCount - 20 : 0;
}

}  // namespace vp::shell
