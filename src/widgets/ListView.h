#pragma once

// A report list whose rows live in the program, not in the control: the
// list asks for the cells it paints (owner data), so a list of any length
// costs the control nothing, and a tick mark is a property of the row.

#include <windows.h>

#include <functional>
#include <string>
#include <vector>

#include "files/StringTools.h"
#include "widgets/Window.h"

namespace vp::widgets {

class TListSource {
 public:
  virtual ~TListSource() = default;
  virtual int RowCount() const = 0;
  virtual const std::string& CellText(int row, int column) const = 0;
  virtual bool RowTicked(int row) const = 0;
  virtual void SetRowTicked(int row, bool ticked) = 0;
};

class TListView : public TControl {
 public:
  TListView() = default;
  // Without check boxes the rows carry no tick marks (RowTicked is not asked).
  TListView(HWND parent, int id, bool checkBoxes = true);

  void SetSource(TListSource* source) { source_ = source; }
  // Called after the user ticked or unticked rows.
  std::function<void()> OnTicksChanged;

  // Shows the source's rows again (after rows were added, removed or moved).
  void Refresh(bool keepScroll);

  int ColumnCount() const;
  StringList ColumnCaptions() const;
  void SetColumnCaption(int column, const std::string& caption);
  void RemoveColumns();
  void AddColumn(const std::string& caption, int width);
  int ColumnWidth(int column) const;
  void SetColumnWidth(int column, int width);

  int SelectedCount() const;
  std::vector<int> SelectedRows() const;
  int FocusedRow() const;
  void Select(int row, bool only);
  int ClientWidth() const;

  // Handles the list's own notifications (sent to its parent); true when it
  // did, with the result to return.
  bool HandleNotify(const NMHDR& header, LRESULT& result);

 private:
  void ToggleRows(const std::vector<int>& rows);

  TListSource* source_ = nullptr;
  bool checkBoxes_ = true;
  std::wstring cellBuffer_;
};

}  // namespace vp::widgets
