#include <gtest/gtest.h>

#include <atomic>
#include <thread>

#include "manager/ManagerRows.h"
#include "manager/TabBuffer.h"

namespace vp {
namespace {

const std::string kSep(kColumnSeparator);

TEST(ManagerRows, ColumnsTextToSubItems) {
  const struct {
    std::string text;
    StringList parts;
  } cases[] = {
      {"", {}},
      {"one", {"one"}},
      {"a" + kSep + "b" + kSep + "c", {"a", "b", "c"}},
      {"a" + kSep, {"a", ""}},
      {kSep + kSep, {"", "", ""}},
      {"x\xFF\xFEy", {"x\xFF\xFEy"}},  // two of the three bytes are no separator
  };
  for (const auto& c : cases) {
    EXPECT_EQ(SplitColumns(c.text), c.parts) << c.text;
    if (!c.parts.empty()) {
      EXPECT_EQ(JoinColumns(c.parts), c.text);
    }
  }
  StringList many(150, "p");
  EXPECT_EQ(SplitColumns(JoinColumns(many)).size(), kMaxSubItems);
}

TEST(ManagerRows, RepeatedRowsDropped) {
  std::vector<TManagerRow> rows = {
      {"Tool", "a" + kSep + "b"},
      {"tool", "A" + kSep + "B"},
      {"Tool", "a"},
      {"Other", ""},
      {"TOOL", "a" + kSep + "b"},
      {"other", ""},
      {"Tool", "a" + kSep + "c"},
  };
  DropRepeatedRows(rows);
  const std::vector<TManagerRow> kept = {
      {"Tool", "a" + kSep + "b"}, {"Tool", "a"}, {"Other", ""}, {"Tool", "a" + kSep + "c"}};
  EXPECT_EQ(rows, kept);
}

TEST(ManagerRows, CollectorSkipsEmptyCaptionsAndStopsWhenAborted) {
  std::atomic<bool> abort{false};
  TRowCollector rows(&abort);
  EXPECT_TRUE(rows.AddRow("", "x"));
  EXPECT_TRUE(rows.AddRow("One", StringList{"a", "b"}));
  abort = true;
  EXPECT_FALSE(rows.AddRow("Two", ""));
  EXPECT_EQ(rows.Rows(), (std::vector<TManagerRow>{{"One", "a" + kSep + "b"}}));
}

TEST(TabBuffer, OneFillAtATimeAndTransfersWaitForIt) {
  TTabBuffer buffer;
  ASSERT_TRUE(buffer.BeginFill());
  EXPECT_FALSE(buffer.BeginFill());
  EXPECT_EQ(buffer.CurrentState(), TTabBuffer::State::Filling);
  // A transfer asked for during the fill gives up after its wait...
  EXPECT_FALSE(buffer.TakeForTransfer(std::chrono::milliseconds(20)).has_value());
  // ...or is served with the new list once the fill ends.
  std::thread fill([&] {
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    buffer.Publish({{"New", ""}, {"new", ""}});
  });
  auto shown = buffer.TakeForTransfer(std::chrono::seconds(10));
  fill.join();
  ASSERT_TRUE(shown.has_value());
  EXPECT_EQ(shown->rows, (std::vector<TManagerRow>{{"New", ""}}));
  EXPECT_EQ(shown->generation, 1u);
  EXPECT_EQ(buffer.CurrentState(), TTabBuffer::State::Showing);
  buffer.EndTransfer();
  EXPECT_EQ(buffer.CurrentState(), TTabBuffer::State::Idle);

  ASSERT_TRUE(buffer.BeginFill());
  buffer.Abandon();
  EXPECT_EQ(buffer.Generation(), 1u);
  ASSERT_TRUE(buffer.BeginFill());
  EXPECT_FALSE(buffer.TakeForTransfer(std::chrono::seconds(10), [] { return true; }).has_value());
  buffer.Abandon();
}

// Fills and transfers of one tab at full speed: every list a transfer sees
// is one whole publication (the sanitizer build checks the sharing too).
TEST(TabBuffer, RefillsNeverShowHalfAList) {
  TTabBuffer buffer;
  constexpr int kRows = 50;
  constexpr int kFills = 300;
  std::atomic<bool> done{false};
  std::thread filler([&] {
    for (int fill = 1; fill <= kFills; ++fill) {
      while (!buffer.BeginFill()) std::this_thread::yield();
      std::vector<TManagerRow> rows;
      for (int i = 0; i < kRows; ++i) rows.push_back({"Fill " + std::to_string(fill), std::to_string(i)});
      buffer.Publish(std::move(rows));
    }
    done = true;
  });
  // Until the last publication has been seen.
  int seen = 0;
  for (uint64_t generation = 0; generation < static_cast<uint64_t>(kFills);) {
    auto shown = buffer.TakeForTransfer(std::chrono::seconds(10));
    ASSERT_TRUE(shown.has_value());
    generation = shown->generation;
    if (generation > 0) {
      ASSERT_EQ(shown->rows.size(), static_cast<size_t>(kRows));
      for (const auto& row : shown->rows) ASSERT_EQ(row.caption, "Fill " + std::to_string(generation));
      ++seen;
    }
    buffer.EndTransfer();
  }
  filler.join();
  EXPECT_TRUE(done);
  EXPECT_GT(seen, 0);
}

}  // namespace
}  // namespace vp
