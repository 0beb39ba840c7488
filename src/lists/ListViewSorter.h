#pragma once

// Sorting a report-style list by one column, comparing the way the column's
// contents suggest: plain text, whole numbers, texts with a number inside,
// priorities, file sizes or dates.

#include <string>
#include <string_view>
#include <vector>

#include "files/StringTools.h"

namespace vp {

// One row: the caption (column 0) and the sub-items (columns 1, 2, ...).
struct SortRow {
  std::string caption;
  StringList subItems;
};

// A list as the sorter reads it; the window code implements it over its list
// view, the tests over a vector of rows.
class SortableList {
 public:
  virtual ~SortableList() = default;
  virtual int ColumnCount() const = 0;
  virtual int RowCount() const = 0;
  virtual SortRow Row(int index) const = 0;
  // What makes two lists the same list for toggling the direction.
  virtual const void* Identity() const { return this; }
};

// A SortableList over rows held in memory.
class RowList : public SortableList {
 public:
  RowList(std::vector<SortRow>& rows, int columnCount) : rows_(rows), columnCount_(columnCount) {}
  int ColumnCount() const override { return columnCount_; }
  int RowCount() const override { return static_cast<int>(rows_.size()); }
  SortRow Row(int index) const override { return rows_[static_cast<size_t>(index)]; }
  const void* Identity() const override { return &rows_; }

 private:
  std::vector<SortRow>& rows_;
  int columnCount_;
};

enum class ColumnKind : int { Text = 0, Integer = 1, NumberInText = 2, Priority = 3, Size = 4, Date = 5 };

class TListViewSorter {
 public:
  TListViewSorter();

  // The direction for the next PrepareSort without toggling: 1 ascending,
  // -1 descending.
  void SetDirection(int direction) { direction_ = direction; }
  int LastDirection() const { return lastDirection_; }
  int Direction() const { return direction_; }
  ColumnKind Kind() const { return kind_; }

  // Readies a sort of list by column (0 the caption, c > 0 sub-item c - 1).
  // With toggle the direction is -1 when the same list, column count and
  // column were last sorted ascending, else 1. Finds the column's kind.
  void PrepareSort(const SortableList& list, int column, bool toggle);

  // The comparison for sortIndex = column - 1 (-1 for the caption): negative,
  // zero or positive, already multiplied by the direction.
  int CompareItems(const SortRow& item1, const SortRow& item2, int sortIndex) const;

  // Sets the direction to 0 (no sort running).
  void EndSort() { direction_ = 0; }

  // PrepareSort, a stable sort of rows with CompareItems, EndSort.
  void Sort(std::vector<SortRow>& rows, int columnCount, int column, bool toggle);
  // The same sort as an order: the row indices of list, sorted. For lists
  // that keep more than the cells with each row.
  std::vector<size_t> SortedOrder(const SortableList& list, int column, bool toggle);

  // The kind one cell suggests (exposed for tests).
  ColumnKind CellKind(std::string_view cell) const;

 private:
  int Compare(const std::string& a, const std::string& b) const;

  int direction_ = 1;
  ColumnKind kind_ = ColumnKind::Text;
  int lastColumn_ = -9;
  int lastColumnCount_ = 0;
  int lastDirection_ = 0;
  const void* lastList_ = nullptr;  // identity only, never followed

  std::string datePattern_ = "DD.MM.YYYY, HH:NN";
  std::string noValue_ = "N/A";
  std::string priorities_[4] = {"High", "Medium", "Low", "Lowest"};
  std::string sizeUnits_[4] = {"B", "KB", "MB", "GB"};
};

// The key a row sorts by for sortIndex: the chosen cell, then the other
// cells, joined by "|", trimmed and lower-cased (system case mapping).
std::string SortKey(const SortRow& row, int sortIndex);

}  // namespace vp
