#include "widgets/ListView.h"

#include <windows.h>
// After windows.h, which they need.
#include <commctrl.h>

#include "widgets/ItemCaption.h"
#include "widgets/Text.h"

namespace vp::widgets {

namespace {

constexpr UINT kUnticked = INDEXTOSTATEIMAGEMASK(1);
constexpr UINT kTicked = INDEXTOSTATEIMAGEMASK(2);

}  // namespace

TListView::TListView(HWND parent, int id, bool checkBoxes)
    : TControl(CreateChild(
          parent, WC_LISTVIEWW, "",
          WS_VISIBLE | WS_TABSTOP | WS_CLIPSIBLINGS | LVS_REPORT | LVS_OWNERDATA | LVS_SHOWSELALWAYS, id,
          WS_EX_CLIENTEDGE)),
      checkBoxes_(checkBoxes) {
  const DWORD extended = (checkBoxes ? LVS_EX_CHECKBOXES : 0) | LVS_EX_FULLROWSELECT | LVS_EX_GRIDLINES |
                         LVS_EX_DOUBLEBUFFER | LVS_EX_LABELTIP;
  SendMessageW(Handle(), LVM_SETEXTENDEDLISTVIEWSTYLE, extended, extended);
  // The tick marks come from the rows, asked for with the cells.
  if (checkBoxes) SendMessageW(Handle(), LVM_SETCALLBACKMASK, LVIS_STATEIMAGEMASK, 0);
}

void TListView::Refresh(bool keepScroll) {
  const int count = source_ != nullptr ? source_->RowCount() : 0;
  SendMessageW(Handle(), LVM_SETITEMCOUNT, static_cast<WPARAM>(count),
               keepScroll ? LVSICF_NOSCROLL | LVSICF_NOINVALIDATEALL : 0);
  InvalidateRect(Handle(), nullptr, FALSE);
}

int TListView::ColumnCount() const {
  const HWND header = reinterpret_cast<HWND>(SendMessageW(Handle(), LVM_GETHEADER, 0, 0));
  return header != nullptr ? static_cast<int>(SendMessageW(header, HDM_GETITEMCOUNT, 0, 0)) : 0;
}

StringList TListView::ColumnCaptions() const {
  StringList captions;
  for (int c = 0; c < ColumnCount(); ++c)
    captions.push_back(ItemCaption<LVCOLUMNW>(Handle(), LVM_GETCOLUMNW, c, LVCF_TEXT));
  return captions;
}

void TListView::SetColumnCaption(int column, const std::string& caption) {
  SetItemCaption<LVCOLUMNW>(Handle(), LVM_SETCOLUMNW, column, LVCF_TEXT, caption);
}

void TListView::RemoveColumns() {
  for (int c = ColumnCount() - 1; c >= 0; --c)
    SendMessageW(Handle(), LVM_DELETECOLUMN, static_cast<WPARAM>(c), 0);
}

void TListView::AddColumn(const std::string& caption, int width) {
  std::wstring text = Wide(caption);
  LVCOLUMNW column{};
  column.mask = LVCF_TEXT | LVCF_WIDTH;
  column.pszText = text.data();
  column.cx = width;
  SendMessageW(Handle(), LVM_INSERTCOLUMNW, static_cast<WPARAM>(ColumnCount()),
               reinterpret_cast<LPARAM>(&column));
}

int TListView::ColumnWidth(int column) const {
  return static_cast<int>(SendMessageW(Handle(), LVM_GETCOLUMNWIDTH, static_cast<WPARAM>(column), 0));
}

void TListView::SetColumnWidth(int column, int width) {
  SendMessageW(Handle(), LVM_SETCOLUMNWIDTH, static_cast<WPARAM>(column), MAKELPARAM(width, 0));
}

int TListView::SelectedCount() const {
  return static_cast<int>(SendMessageW(Handle(), LVM_GETSELECTEDCOUNT, 0, 0));
}

std::vector<int> TListView::SelectedRows() const {
  std::vector<int> rows;
  int row = -1;
  while ((row = static_cast<int>(
              SendMessageW(Handle(), LVM_GETNEXTITEM, static_cast<WPARAM>(row), LVNI_SELECTED))) >= 0)
    rows.push_back(row);
  return rows;
}

int TListView::FocusedRow() const {
  return static_cast<int>(SendMessageW(Handle(), LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_FOCUSED));
}

void TListView::Select(int row, bool only) {
  LVITEMW item{};
  if (only) {
    item.stateMask = LVIS_SELECTED;
    item.state = 0;
    SendMessageW(Handle(), LVM_SETITEMSTATE, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(&item));
  }
  item.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
  item.state = LVIS_SELECTED | LVIS_FOCUSED;
  SendMessageW(Handle(), LVM_SETITEMSTATE, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&item));
  SendMessageW(Handle(), LVM_ENSUREVISIBLE, static_cast<WPARAM>(row), FALSE);
}

int TListView::ClientWidth() const {
  RECT rect{};
  GetClientRect(Handle(), &rect);
  return rect.right - rect.left;
}

void TListView::ToggleRows(const std::vector<int>& rows) {
  if (source_ == nullptr || rows.empty()) return;
  // All take the opposite of the first one's mark, as with a click.
  const bool tick = !source_->RowTicked(rows.front());
  for (int row : rows) {
    source_->SetRowTicked(row, tick);
    SendMessageW(Handle(), LVM_REDRAWITEMS, static_cast<WPARAM>(row), row);
  }
  if (OnTicksChanged) OnTicksChanged();
}

bool TListView::HandleNotify(const NMHDR& header, LRESULT& result) {
  if (header.hwndFrom != Handle()) return false;
  result = 0;
  switch (header.code) {
    case LVN_GETDISPINFOW: {
      auto& info = *reinterpret_cast<NMLVDISPINFOW*>(const_cast<NMHDR*>(&header));
      LVITEMW& item = info.item;
      if (source_ == nullptr || item.iItem < 0 || item.iItem >= source_->RowCount()) return true;
      if ((item.mask & LVIF_TEXT) != 0 && item.pszText != nullptr && item.cchTextMax > 0) {
        cellBuffer_ = Wide(source_->CellText(item.iItem, item.iSubItem));
        const size_t length = std::min(cellBuffer_.size(), static_cast<size_t>(item.cchTextMax - 1));
        cellBuffer_.copy(item.pszText, length);
        item.pszText[length] = L'\0';
      }
      if (checkBoxes_ && (item.mask & LVIF_STATE) != 0) {
        item.state =
            (item.state & ~LVIS_STATEIMAGEMASK) | (source_->RowTicked(item.iItem) ? kTicked : kUnticked);
        item.stateMask |= LVIS_STATEIMAGEMASK;
      }
      return true;
    }
    case NM_CLICK:
    case NM_DBLCLK: {
      const auto& activate = *reinterpret_cast<const NMITEMACTIVATE*>(&header);
      LVHITTESTINFO hit{};
      hit.pt = activate.ptAction;
      SendMessageW(Handle(), LVM_SUBITEMHITTEST, 0, reinterpret_cast<LPARAM>(&hit));
      if (checkBoxes_ && hit.iItem >= 0 && (hit.flags & LVHT_ONITEMSTATEICON) != 0) ToggleRows({hit.iItem});
      return checkBoxes_;
    }
    case LVN_KEYDOWN: {
      const auto& key = *reinterpret_cast<const NMLVKEYDOWN*>(&header);
      if (!checkBoxes_) return false;
      if (key.wVKey == VK_SPACE) {
        std::vector<int> rows = SelectedRows();
        const int focused = FocusedRow();
        if (rows.empty() && focused >= 0) rows.push_back(focused);
        ToggleRows(rows);
      }
      return true;
    }
    default:
      return false;
  }
}

}  // namespace vp::widgets
