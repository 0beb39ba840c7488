#pragma once

// The rows of the main list with their tick marks. The list view shows them
// on demand (owner data), so a list of 100,000 rows costs the view nothing,
// and sorting or counting works on the rows themselves: a tick stays with
// its row whatever the order.

#include <cstddef>
#include <string>
#include <vector>

#include "files/StringTools.h"
#include "lists/ListViewSorter.h"

namespace vp::shell {

class TListModel {
 public:
  int Count() const { return static_cast<int>(rows_.size()); }
  int ColumnCount() const { return columns_; }
  void SetColumnCount(int columns) { columns_ = columns; }

  void Clear();
  // view32: a manager row read from the 32-bit programs' view of the
  // registry (its Remove acts there).
  void Add(std::string caption, StringList subItems, bool view32 = false);
  // A scan's row: its caption's lower-case key is made now, so that the
  // sort at the scan's end costs only the comparisons.
  void AddKeyed(std::string caption, StringList subItems);
  void Reserve(size_t rows) { rows_.reserve(rows); }

  const SortRow& Row(int index) const { return rows_[static_cast<size_t>(index)].row; }
  bool View32(int index) const { return rows_[static_cast<size_t>(index)].view32; }
  // Column 0 is the caption; "" beyond the row's cells.
  const std::string& Cell(int index, int column) const;

  bool Ticked(int index) const { return rows_[static_cast<size_t>(index)].ticked; }
  void SetTicked(int index, bool ticked);
  void Toggle(int index) { SetTicked(index, !Ticked(index)); }
  void TickAll(bool ticked);
  void InvertTicks();
  int TickedCount() const { return ticked_; }
  std::vector<int> TickedRows() const;
  // Removes the rows (indexes in any order), keeping the others' order.
  void RemoveRows(std::vector<int> rows);

  // Sorts by column (0 the caption) with the sorter's comparison; direction
  // 1 ascending, -1 descending. Stable.
  void Sort(TListViewSorter& sorter, int column, int direction);
  // A click on a column header: ascending, or descending when the same
  // column was last sorted ascending. Returns the direction used.
  int SortClicked(TListViewSorter& sorter, int column);
  // The order at the end of a scan: captions compared in lower case.
  void SortByLowerCaption();

  // Makes the sorter see this list (for its column kind and toggling).
  const SortableList& AsSortable() const { return sortable_; }

 private:
  struct Entry {
    SortRow row;
    bool ticked = false;
    bool view32 = false;
    std::string key;  // the caption in lower case, when made in advance
  };
  class Sortable : public SortableList {
   public:
    explicit Sortable(const TListModel& model) : model_(model) {}
    int ColumnCount() const override { return model_.columns_; }
    int RowCount() const override { return model_.Count(); }
    SortRow Row(int index) const override { return model_.Row(index); }

   private:
    const TListModel& model_;
  };

  void SortPrepared(TListViewSorter& sorter, int column, bool toggle);

  std::vector<Entry> rows_;
  int columns_ = 0;
  int ticked_ = 0;
  Sortable sortable_{*this};
};

}  // namespace vp::shell
