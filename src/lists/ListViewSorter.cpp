#include "lists/ListViewSorter.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <limits>

#include "platform/Platform.h"
#include "platform/System.h"

namespace vp {

namespace {

bool IsDigit(char c) {
  return c >= '0' && c <= '9';
}

bool HasDigit(std::string_view text) {
  return std::any_of(text.begin(), text.end(), IsDigit);
}

bool IsDateSeparator(char c) {
  return c == '.' || c == ':' || c == ',' || c == '/' || c == '\\';
}

// A whole 64-bit number with an optional sign and nothing else.
bool ParseWholeNumber(std::string_view text, int64_t& value) {
  size_t i = 0;
  bool negative = false;
  if (i < text.size() && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';
  if (i == text.size()) return false;
  uint64_t magnitude = 0;
  const uint64_t limit = negative ? uint64_t{1} << 63 : (uint64_t{1} << 63) - 1;
  for (; i < text.size(); ++i) {
    if (!IsDigit(text[i])) return false;
    const uint64_t digit = static_cast<uint64_t>(text[i] - '0');
    if (magnitude > (limit - digit) / 10) return false;
    magnitude = magnitude * 10 + digit;
  }
  value = negative ? static_cast<int64_t>(0 - magnitude) : static_cast<int64_t>(magnitude);
  return true;
}

int Sign(int64_t difference) {
  return difference < 0 ? -1 : (difference > 0 ? 1 : 0);
}

// Text order: a key beginning with "[" (a marker such as "[Unknown]") comes
// first, the rest by bytes.
int CompareAsText(std::string_view a, std::string_view b) {
  const bool aMarked = !a.empty() && a.front() == '[';
  const bool bMarked = !b.empty() && b.front() == '[';
  if (aMarked != bMarked) return aMarked ? -1 : 1;
  const size_t n = std::min(a.size(), b.size());
  for (size_t i = 0; i < n; ++i)
    if (a[i] != b[i]) return static_cast<unsigned char>(a[i]) - static_cast<unsigned char>(b[i]);
  return Sign(static_cast<int64_t>(a.size()) - static_cast<int64_t>(b.size()));
}

// Digit runs compared by value, however long.
int CompareDigitRuns(std::string_view a, std::string_view b) {
  while (!a.empty() && a.front() == '0') a.remove_prefix(1);
  while (!b.empty() && b.front() == '0') b.remove_prefix(1);
  if (a.size() != b.size()) return a.size() < b.size() ? -1 : 1;
  const int order = a.compare(b);
  return order < 0 ? -1 : (order > 0 ? 1 : 0);
}

int CompareNumberInText(std::string_view a, std::string_view b) {
  struct Parts {
    std::string_view prefix, number, suffix;
  };
  auto split = [](std::string_view key) {
    Parts parts;
    size_t first = 0;
    while (first < key.size() && !IsDigit(key[first])) ++first;
    parts.prefix = key.substr(0, first);
    size_t end = first;
    while (end < key.size() && IsDigit(key[end])) ++end;
    parts.number = key.substr(first, end - first);
    if (end < key.size())
      parts.suffix = key.substr(end);
    else if (!key.empty() && end > first)
      parts.suffix = key.substr(key.size() - 1);
    return parts;
  };
  auto isZero = [](std::string_view digits) {
    return std::all_of(digits.begin(), digits.end(), [](char c) { return c == '0'; });
  };
  const Parts pa = split(a), pb = split(b);
  if (pa.prefix.empty() && pb.prefix.empty() && isZero(pa.number) && isZero(pb.number))
    return CompareAsText(a, b);
  if (!SameText(pa.prefix, pb.prefix)) return CompareAsText(a, b);
  const int numbers = CompareDigitRuns(pa.number, pb.number);
  return numbers != 0 ? numbers : CompareAsText(pa.suffix, pb.suffix);
}

std::string_view FirstCell(std::string_view key) {
  return key.substr(0, key.find('|'));
}

// The number before the first blank, with "." or "," as the decimal mark; 0
// when there is no blank or no number.
double SizeNumber(std::string_view cell) {
  const size_t blank = cell.find(' ');
  if (blank == std::string_view::npos) return 0;
  const std::string_view text = cell.substr(0, blank);
  double whole = 0, fraction = 0, scale = 1;
  bool digits = false, inFraction = false;
  for (char c : text) {
    if (IsDigit(c)) {
      digits = true;
      if (inFraction) {
        scale /= 10;
        fraction += (c - '0') * scale;
      } else {
        whole = whole * 10 + (c - '0');
      }
    } else if ((c == '.' || c == ',') && !inFraction) {
      inFraction = true;
    } else {
      return 0;
    }
  }
  return digits ? whole + fraction : 0;
}

double SizeInKilobytes(std::string_view key) {
  // Only the sorted cell names the unit; later columns of the key are other data.
  const std::string_view cell = FirstCell(key);
  double factor = 1.0 / 1024;
  if (PosEx("KB", cell) > 0) factor = 1;
  if (PosEx("MB", cell) > 0) factor = 1024;
  if (PosEx("GB", cell) > 0) factor = 1048576;
  return SizeNumber(cell) * factor;
}

}  // namespace

std::string SortKey(const SortRow& row, int sortIndex) {
  std::string key;
  if (sortIndex >= 0) {
    const size_t chosen = static_cast<size_t>(sortIndex);
    if (chosen < row.subItems.size()) key = Trim(row.subItems[chosen]);
    key += "|" + Trim(row.caption);
    for (size_t i = 0; i < row.subItems.size(); ++i)
      if (i != chosen) key += "|" + Trim(row.subItems[i]);
  } else {
    key = Trim(row.caption);
    for (const std::string& item : row.subItems) key += "|" + Trim(item);
  }
  return platform::Sys().LowerCase(key);
}

TListViewSorter::TListViewSorter() = default;

ColumnKind TListViewSorter::CellKind(std::string_view cell) const {
  for (const std::string& name : priorities_)
    if (SameText(cell, name)) return ColumnKind::Priority;

  size_t dateLength = datePattern_.size();
  if (datePattern_.find("am") != std::string::npos || datePattern_.find("AM") != std::string::npos)
    dateLength -= 3;
  if (cell.size() == dateLength) {
    bool sameSeparators = true;
    for (size_t i = 0; i < cell.size() && sameSeparators; ++i) {
      const char p = i < datePattern_.size() ? datePattern_[i] : '\0';
      if ((IsDateSeparator(p) || IsDateSeparator(cell[i])) && p != cell[i]) sameSeparators = false;
    }
    if (sameSeparators) return ColumnKind::Date;
  }

  if (!HasDigit(cell)) return ColumnKind::Text;
  int64_t number;
  if (ParseWholeNumber(cell, number)) return ColumnKind::Integer;
  for (const std::string& unit : sizeUnits_)
    if (cell.find(unit) != std::string_view::npos) return ColumnKind::Size;
  return ColumnKind::NumberInText;
}

void TListViewSorter::PrepareSort(const SortableList& list, int column, bool toggle) {
  if (toggle) {
    const bool sameAgain = lastList_ == list.Identity() && lastColumnCount_ == list.ColumnCount() &&
                           lastColumn_ == column && lastDirection_ == 1;
    direction_ = sameAgain ? -1 : 1;
  }
  if (direction_ != 1 && direction_ != -1) direction_ = 1;
  lastList_ = list.Identity();
  lastColumnCount_ = list.ColumnCount();
  lastColumn_ = column;
  lastDirection_ = direction_;

  std::array<int, 6> counts{};
  const int rows = list.RowCount();
  for (int r = 0; r < rows; ++r) {
    const SortRow row = list.Row(r);
    std::string cell;
    if (column <= 0) {
      cell = row.caption;
    } else {
      if (static_cast<size_t>(column - 1) >= row.subItems.size()) continue;
      cell = row.subItems[static_cast<size_t>(column - 1)];
    }
    cell = Trim(cell);
    if (cell.empty() || SameText(cell, noValue_)) continue;
    ++counts[static_cast<size_t>(CellKind(cell))];
  }
  size_t best = 0;
  for (size_t k = 1; k < counts.size(); ++k)
    if (counts[k] > counts[best]) best = k;
  kind_ = static_cast<ColumnKind>(best);
}

int TListViewSorter::Compare(const std::string& a, const std::string& b) const {
  switch (kind_) {
    case ColumnKind::Integer: {
      int64_t x, y;
      if (ParseWholeNumber(a, x) && ParseWholeNumber(b, y)) return x < y ? -1 : (x > y ? 1 : 0);
      return CompareNumberInText(a, b);
    }
    case ColumnKind::NumberInText:
      return CompareNumberInText(a, b);
    case ColumnKind::Priority: {
      auto rank = [this](std::string_view key) {
        const std::string_view cell = FirstCell(key);
        for (int i = 0; i < 4; ++i)
          if (SameText(cell, priorities_[i])) return 4 - i;
        return 0;
      };
      return Sign(rank(a) - rank(b));
    }
    case ColumnKind::Size: {
      const double x = SizeInKilobytes(a), y = SizeInKilobytes(b);
      return x < y ? -1 : (x > y ? 1 : 0);
    }
    case ColumnKind::Date: {
      // Each pattern letter takes the key's character at its position; with
      // "mm" twice and an "hh", the second "mm" is the minutes.
      std::string pattern = FixedUpperText(datePattern_);
      const size_t firstMonth = pattern.find("MM");
      const size_t secondMonth =
          firstMonth == std::string::npos ? firstMonth : pattern.find("MM", firstMonth + 2);
      if (secondMonth != std::string::npos && pattern.find("HH") != std::string::npos)
        pattern.replace(secondMonth, 2, "NN");
      auto fields = [&pattern](std::string_view key) {
        const std::string_view cell = FirstCell(key);
        static constexpr std::string_view kLetters = "YMDHNS";
        std::array<int64_t, 6> value{};
        for (size_t i = 0; i < pattern.size() && i < cell.size(); ++i) {
          const size_t field = kLetters.find(pattern[i]);
          if (field != std::string_view::npos && IsDigit(cell[i]))
            value[field] = value[field] * 10 + (cell[i] - '0');
        }
        return value;
      };
      const auto x = fields(a), y = fields(b);
      return x < y ? -1 : (x > y ? 1 : 0);
    }
    case ColumnKind::Text:
    default:
      return CompareAsText(a, b);
  }
}

int TListViewSorter::CompareItems(const SortRow& item1, const SortRow& item2, int sortIndex) const {
  const int order = Compare(SortKey(item1, sortIndex), SortKey(item2, sortIndex));
  return Sign(order) * direction_;
}

void TListViewSorter::Sort(std::vector<SortRow>& rows, int columnCount, int column, bool toggle) {
  RowList list(rows, columnCount);
  const std::vector<size_t> order = SortedOrder(list, column, toggle);
  std::vector<SortRow> sorted;
  sorted.reserve(rows.size());
  for (size_t index : order) sorted.push_back(std::move(rows[index]));
  rows = std::move(sorted);
}

std::vector<size_t> TListViewSorter::SortedOrder(const SortableList& list, int column, bool toggle) {
  PrepareSort(list, column, toggle);
  // Keys are built once per row rather than once per comparison.
  const int count = list.RowCount();
  std::vector<std::pair<std::string, size_t>> keys;
  keys.reserve(static_cast<size_t>(count));
  for (int i = 0; i < count; ++i) keys.emplace_back(SortKey(list.Row(i), column - 1), static_cast<size_t>(i));
  std::stable_sort(keys.begin(), keys.end(), [this](const auto& x, const auto& y) {
    return Sign(Compare(x.first, y.first)) * direction_ < 0;
  });
  std::vector<size_t> order;
  order.reserve(keys.size());
  for (const auto& key : keys) order.push_back(key.second);
  EndSort();
  return order;
}

}  // namespace vp
