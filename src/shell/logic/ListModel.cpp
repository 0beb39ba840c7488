#include "shell/logic/ListModel.h"

#include <algorithm>
#include <cstdint>
#include <cstring>

#include "platform/Platform.h"
#include "platform/System.h"

namespace vp::shell {

namespace {

// True when a sorts before b byte by byte (as unsigned bytes, a prefix first),
// eight bytes at a time: the captions of a scan share long key paths, and the
// Windows runtime compares them a byte at a time.
bool BytesLess(const std::string& a, const std::string& b) {
  const size_t common = std::min(a.size(), b.size());
  size_t i = 0;
  for (; i + 8 <= common; i += 8) {
    uint64_t x = 0, y = 0;
    std::memcpy(&x, a.data() + i, 8);
    std::memcpy(&y, b.data() + i, 8);
    // Loaded little-endian: reversed, the first byte decides first.
    if (x != y) return __builtin_bswap64(x) < __builtin_bswap64(y);
  }
  for (; i < common; ++i)
    if (a[i] != b[i]) return static_cast<unsigned char>(a[i]) < static_cast<unsigned char>(b[i]);
  return a.size() < b.size();
}

}  // namespace

void TListModel::Clear() {
  rows_.clear();
  ticked_ = 0;
}

void TListModel::Add(std::string caption, StringList subItems, bool view32) {
  rows_.push_back({SortRow{std::move(caption), std::move(subItems)}, false, view32, {}});
}

void TListModel::AddKeyed(std::string caption, StringList subItems) {
  std::string key = platform::Sys().LowerCase(caption);
  rows_.push_back({SortRow{std::move(caption), std::move(subItems)}, false, false, std::move(key)});
}

const std::string& TListModel::Cell(int index, int column) const {
  static const std::string empty;
  const SortRow& row = Row(index);
  if (column == 0) return row.caption;
  const size_t sub = static_cast<size_t>(column - 1);
  return column > 0 && sub < row.subItems.size() ? row.subItems[sub] : empty;
}

void TListModel::SetTicked(int index, bool ticked) {
  Entry& entry = rows_[static_cast<size_t>(index)];
  if (entry.ticked == ticked) return;
  entry.ticked = ticked;
  ticked_ += ticked ? 1 : -1;
}

void TListModel::TickAll(bool ticked) {
  for (auto& entry : rows_) entry.ticked = ticked;
  ticked_ = ticked ? Count() : 0;
}

void TListModel::InvertTicks() {
  for (auto& entry : rows_) entry.ticked = !entry.ticked;
  ticked_ = Count() - ticked_;
}

std::vector<int> TListModel::TickedRows() const {
  std::vector<int> rows;
  for (int i = 0; i < Count(); ++i)
    if (Ticked(i)) rows.push_back(i);
  return rows;
}

void TListModel::Sort(TListViewSorter& sorter, int column, int direction) {
  sorter.SetDirection(direction);
  SortPrepared(sorter, column, false);
}

int TListModel::SortClicked(TListViewSorter& sorter, int column) {
  SortPrepared(sorter, column, true);
  return sorter.LastDirection();
}

void TListModel::SortPrepared(TListViewSorter& sorter, int column, bool toggle) {
  const std::vector<size_t> order = sorter.SortedOrder(sortable_, column, toggle);
  std::vector<Entry> sorted;
  sorted.reserve(rows_.size());
  for (size_t index : order) sorted.push_back(std::move(rows_[index]));
  rows_ = std::move(sorted);
}

void TListModel::SortByLowerCaption() {
  for (Entry& entry : rows_)
    if (entry.key.empty() && !entry.row.caption.empty())
      entry.key = platform::Sys().LowerCase(entry.row.caption);
  std::vector<size_t> order(rows_.size());
  for (size_t i = 0; i < order.size(); ++i) order[i] = i;
  std::stable_sort(order.begin(), order.end(),
                   [this](size_t a, size_t b) { return BytesLess(rows_[a].key, rows_[b].key); });
  std::vector<Entry> sorted;
  sorted.reserve(rows_.size());
  for (size_t index : order) sorted.push_back(std::move(rows_[index]));
  rows_ = std::move(sorted);
}

void TListModel::RemoveRows(std::vector<int> rows) {
  std::sort(rows.begin(), rows.end());
  rows.erase(std::unique(rows.begin(), rows.end()), rows.end());
  // From the last, so that the indexes still to come stay valid.
  for (auto it = rows.rbegin(); it != rows.rend(); ++it) {
    if (*it < 0 || *it >= Count()) continue;
    if (Ticked(*it)) --ticked_;
    rows_.erase(rows_.begin() + *it);
  }
}

}  // namespace vp::shell
