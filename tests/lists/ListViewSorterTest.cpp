#include <gtest/gtest.h>

#include "lists/ListViewSorter.h"

namespace vp {
namespace {

std::vector<SortRow> OneColumn(const StringList& captions) {
  std::vector<SortRow> rows;
  for (const std::string& c : captions) rows.push_back({c, {}});
  return rows;
}

StringList Captions(const std::vector<SortRow>& rows) {
  StringList captions;
  for (const auto& row : rows) captions.push_back(row.caption);
  return captions;
}

TEST(ListViewSorterTest, CellKinds) {
  struct Case {
    std::string cell;
    ColumnKind kind;
  };
  const Case cases[] = {
      {"06.12.2026, 11:30", ColumnKind::Date},
      {"06/12/2026, 11:30", ColumnKind::NumberInText},  // separators at the pattern's places must match
      {"06.12.2026  11:30", ColumnKind::NumberInText},
      {"2 mb", ColumnKind::NumberInText},  // units count in exact case only
      {"Bare", ColumnKind::Text},          // no digit: text, whatever its capitals
  };
  TListViewSorter sorter;
  for (const auto& c : cases) EXPECT_EQ(sorter.CellKind(c.cell), c.kind) << c.cell;
}

TEST(ListViewSorterTest, SortsEachKind) {
  struct Case {
    const char* what;
    StringList cells, ascending;
    ColumnKind kind;
    bool allKeysDiffer = true;
  };
  const Case cases[] = {
      {"sizes", {"10 KB", "2 MB", "900 B"}, {"900 B", "10 KB", "2 MB"}, ColumnKind::Size},
      {"priorities",
       {"High", "Low", "Medium", "Lowest"},
       {"Lowest", "Low", "Medium", "High"},
       ColumnKind::Priority},
      {"text with a marker",
       {"beta", "[Unknown]", "Alpha"},
       {"[Unknown]", "Alpha", "beta"},
       ColumnKind::Text},
      {"number in text",
       {"item 10", "item 2", "item 1"},
       {"item 1", "item 2", "item 10"},
       ColumnKind::NumberInText},
      {"different prefixes as text", {"b 1", "a 2"}, {"a 2", "b 1"}, ColumnKind::NumberInText},
      {"equal numbers by suffix", {"v2b", "v2a"}, {"v2a", "v2b"}, ColumnKind::NumberInText},
      {"long digit runs",
       {"x 100000000000000000000001", "x 99999999999999999999999"},
       {"x 99999999999999999999999", "x 100000000000000000000001"},
       ColumnKind::NumberInText},
      {"integers", {"10", "-3", "9"}, {"-3", "9", "10"}, ColumnKind::Integer},
      {"dates",
       {"01.02.2025, 10:00", "31.01.2025, 23:59", "01.02.2025, 09:30"},
       {"31.01.2025, 23:59", "01.02.2025, 09:30", "01.02.2025, 10:00"},
       ColumnKind::Date},
      {"no-value cells do not decide the kind",
       {"N/A", "n/a", "N/A", "2 KB", "1 MB"},
       {"N/A", "n/a", "N/A", "2 KB", "1 MB"},
       ColumnKind::Size,
       false},
  };
  for (const auto& c : cases) {
    std::vector<SortRow> rows = OneColumn(c.cells);
    TListViewSorter sorter;
    RowList list(rows, 1);
    sorter.PrepareSort(list, 0, true);
    EXPECT_EQ(sorter.Kind(), c.kind) << c.what;
    sorter.EndSort();
    sorter.Sort(rows, 1, 0, false);
    EXPECT_EQ(Captions(rows), c.ascending) << c.what;
    sorter.SetDirection(-1);
    sorter.Sort(rows, 1, 0, false);
    StringList descending(c.ascending.rbegin(), c.ascending.rend());
    if (c.allKeysDiffer) {  // equal keys keep their order either way
      EXPECT_EQ(Captions(rows), descending) << c.what;
    }
  }
}

TEST(ListViewSorterTest, ClickingTogglesDirection) {
  std::vector<SortRow> rows = {{"b", {"2"}}, {"a", {"1"}}, {"c", {"3"}}};
  std::vector<SortRow> other = rows;
  TListViewSorter sorter;
  struct Click {
    std::vector<SortRow>* list;
    int column, direction;
  };
  const Click clicks[] = {
      {&rows, 0, 1},  {&rows, 0, -1}, {&rows, 0, 1},  // same column: up, down, up
      {&rows, 1, 1},  {&rows, 0, 1},                  // another column starts ascending
      {&rows, 0, -1}, {&other, 0, 1},                 // another list too
  };
  for (const auto& click : clicks) {
    sorter.Sort(*click.list, 2, click.column, true);
    EXPECT_EQ(sorter.LastDirection(), click.direction);
    EXPECT_EQ(sorter.Direction(), 0);
  }
  EXPECT_EQ(Captions(rows), (StringList{"c", "b", "a"}));
}

TEST(ListViewSorterTest, KeysAndMixedColumns) {
  const SortRow row{" Caption ", {" One ", "Two"}};
  EXPECT_EQ(SortKey(row, -1), "caption|one|two");
  EXPECT_EQ(SortKey(row, 1), "two|caption|one");
  EXPECT_EQ(SortKey(row, 5), "|caption|one|two");

  // With a second column the integer keys hold "|" and compare as number in text.
  std::vector<SortRow> rows = {{"x", {"10"}}, {"y", {"9"}}, {"z", {"100"}}};
  TListViewSorter sorter;
  sorter.Sort(rows, 2, 1, true);
  EXPECT_EQ(Captions(rows), (StringList{"y", "x", "z"}));

  // A size column whose other cells mention a unit is still sorted by its own unit.
  rows = {{"2 MB", {"c:\\gb\\a"}}, {"900 B", {"mb"}}, {"10 KB", {"x"}}};
  sorter.Sort(rows, 2, 0, true);
  EXPECT_EQ(Captions(rows), (StringList{"900 B", "10 KB", "2 MB"}));

  // Rows missing the sorted sub-item have an empty cell and do not count for the kind.
  rows = {{"a", {}}, {"b", {"2 KB"}}, {"c", {"1 MB"}}};
  sorter.Sort(rows, 2, 1, true);
  EXPECT_EQ(sorter.Kind(), ColumnKind::Size);
  EXPECT_EQ(Captions(rows), (StringList{"a", "b", "c"}));
}

TEST(ListViewSorterTest, CompareItemsAppliesDirection) {
  std::vector<SortRow> rows = OneColumn({"a", "b"});
  RowList list(rows, 1);
  TListViewSorter sorter;
  sorter.PrepareSort(list, 0, true);
  EXPECT_LT(sorter.CompareItems(rows[0], rows[1], -1), 0);
  sorter.SetDirection(-1);
  sorter.PrepareSort(list, 0, false);
  EXPECT_GT(sorter.CompareItems(rows[0], rows[1], -1), 0);
  EXPECT_EQ(sorter.CompareItems(rows[0], rows[0], -1), 0);
  sorter.SetDirection(7);
  sorter.PrepareSort(list, 0, false);
  EXPECT_EQ(sorter.Direction(), 1);
}

}  // namespace
}  // namespace vp
