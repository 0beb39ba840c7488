#include <gtest/gtest.h>

#include <chrono>
#include <thread>

#include "core/Dispatcher.h"
#include "files/StringTools.h"
#include "manager/ManagerReaders.h"
#include "manager/ManagerThreads.h"
#include "platform/Registry.h"
#include "support/PlantedEntries.h"

// The fill threads, the screen updater and the item counter together, with
// a view that records what reaches it; the thread sanitizer build runs these
// too.
namespace vp {
namespace {

using std::chrono::milliseconds;

// Records the lists as they arrive, on the dispatcher's thread.
class RecordingView : public TManagerView {
 public:
  struct List {
    int tab = -1;
    std::vector<TListRow> rows;
  };

  void OnBeforeUpdate(int) override {}
  void OnClear(int tab) override {
    EXPECT_FALSE(adding_);
    lists.push_back({tab, {}});
  }
  void OnBeginAdd(int tab, size_t rowCount) override {
    EXPECT_EQ(lists.back().tab, tab);
    adding_ = true;
    expected_ = rowCount;
  }
  void OnAddItem(int tab, const TListRow& row) override {
    EXPECT_TRUE(adding_);
    EXPECT_EQ(lists.back().tab, tab);
    lists.back().rows.push_back(row);
  }
  void OnEndAdd(int) override {
    EXPECT_EQ(lists.back().rows.size(), expected_);
    adding_ = false;
  }
  std::optional<TItemCount> CountItems() override {
    ++countsAsked;
    return answer;
  }
  void OnCounted(const TItemCount& count) override { counted.push_back(count); }

  size_t ListsOf(int tab) const {
    return static_cast<size_t>(
        std::count_if(lists.begin(), lists.end(), [&](const List& l) { return l.tab == tab; }));
  }

  std::vector<List> lists;
  std::optional<TItemCount> answer;
  int countsAsked = 0;
  std::vector<TItemCount> counted;

 private:
  bool adding_ = false;
  size_t expected_ = 0;
};

TManagerTimings Quick() {
  TManagerTimings timings;
  timings.idlePriority = false;
  timings.fillSpacing = milliseconds(0);
  timings.transferSpacing = milliseconds(0);
  timings.countSpacing = milliseconds(20);
  return timings;
}

// The planted rows (named "vpt...") of a list: the system's own entries may
// change while a test runs.
std::vector<TListRow> Planted(const std::vector<TListRow>& list) {
  std::vector<TListRow> planted;
  for (const auto& row : list)
    if (FixedUpperText(row.caption + JoinColumns(row.subItems)).find("VPT") != std::string::npos)
      planted.push_back(row);
  return planted;
}

// The planted rows of the tab as its reader gives them, in the form the view
// receives.
std::vector<TListRow> ReadDirectly(int tab) {
  TRowCollector rows;
  ReaderOfTab(tab)({}, rows);
  DropRepeatedRows(rows.Rows());
  std::vector<TListRow> list;
  for (const auto& row : rows.Rows()) list.push_back({row.caption, SplitColumns(row.columns), row.view32});
  return Planted(list);
}

void Plant(test::PlantedEntries& planted) {
  const std::string uninstall = "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\";
  planted.Value(platform::kHkeyLocalMachine, uninstall + "VptThreads", "DisplayName", "Vpt Threads");
  planted.Value(platform::kHkeyCurrentUser, "Software\\Microsoft\\Windows\\CurrentVersion\\Run", "VptThreads",
                "C:\\vpt\\threads.exe");
  planted.Key(platform::kHkeyCurrentUser, "Software\\VptThreadsVendor\\Tool");
  planted.Value(platform::kHkeyClassesRoot, ".vptthreads", "", "vptthreads.file");
  planted.Value(platform::kHkeyClassesRoot, "vptthreads.file\\Shell\\open\\Command", "", "c:\\vpt.exe");
  planted.Key(platform::kHkeyClassesRoot, "Applications\\vptthreads.exe");
  planted.Key(platform::kHkeyCurrentUser, "Software\\Microsoft\\Internet Explorer\\MenuExt\\vpt threads");
}

// Waits on a worker, without pumping; false after a minute.
bool WaitFor(const std::function<bool()>& done) {
  const auto giveUp = std::chrono::steady_clock::now() + std::chrono::seconds(60);
  while (!done() && std::chrono::steady_clock::now() < giveUp) std::this_thread::sleep_for(milliseconds(5));
  return done();
}

bool PumpUntil(TQueueDispatcher& dispatcher, const std::function<bool()>& done) {
  const auto giveUp = std::chrono::steady_clock::now() + std::chrono::seconds(60);
  dispatcher.PumpUntil([&] { return done() || std::chrono::steady_clock::now() > giveUp; });
  return done();
}

TEST(ManagerThreads, EachTabShowsWhatItsReaderReads) {
  test::PlantedEntries planted;
  Plant(planted);
  TQueueDispatcher dispatcher;
  RecordingView view;
  TManagerThreads threads(dispatcher, view, Quick());
  threads.Start(false, false, "");
  for (int tab = 0; tab < kCleanerTab; ++tab) {
    SCOPED_TRACE("tab " + std::to_string(tab));
    const std::vector<TListRow> expected = ReadDirectly(tab);
    view.lists.clear();
    threads.ShowTab(tab);
    threads.RequestFill(tab);
    // The first list may be the one from before the fill (none yet).
    ASSERT_TRUE(PumpUntil(
        dispatcher, [&] { return !view.lists.empty() && Planted(view.lists.back().rows) == expected; }));
    for (const auto& list : view.lists) EXPECT_EQ(list.tab, tab);
  }
}

// Refills of the tab on screen as fast as they come: every list shown is the
// whole list, and a request made during a fill is served after it.
TEST(ManagerThreads, RefillsShowWholeListsOnly) {
  test::PlantedEntries planted;
  Plant(planted);
  const std::vector<TListRow> expected = ReadDirectly(2);
  ASSERT_FALSE(expected.empty());
  TQueueDispatcher dispatcher;
  RecordingView view;
  TManagerThreads threads(dispatcher, view, Quick());
  threads.Start(false, false, "");
  threads.ShowTab(2);
  for (int round = 1; round <= 20; ++round) {
    threads.RequestFill(2);
    ASSERT_TRUE(PumpUntil(dispatcher,
                          [&] { return threads.FillThread(2).FillsDone() >= static_cast<uint64_t>(round); }));
  }
  threads.Stop();
  dispatcher.ProcessPending(milliseconds(0));
  ASSERT_FALSE(view.lists.empty());
  // Every list whole.
  for (const auto& list : view.lists) EXPECT_EQ(list.rows, view.lists.front().rows);
  EXPECT_EQ(Planted(view.lists.front().rows), expected);
}

TEST(ManagerThreads, RequestsTooSoonAreServedLater) {
  TTabBuffers buffers;
  TManagerTimings timings;
  timings.fillSpacing = milliseconds(150);
  TRegManagerThread fill(buffers, timings);
  fill.Start();
  const auto start = std::chrono::steady_clock::now();
  fill.RequestFill(2);
  fill.RequestFill(2);  // during or right after the first: not dropped
  ASSERT_TRUE(WaitFor([&] { return fill.FillsDone() >= 1; }));
  fill.RequestFill(2);
  ASSERT_TRUE(WaitFor([&] { return fill.FillsDone() >= 2; }));
  EXPECT_GE(std::chrono::steady_clock::now() - start, timings.fillSpacing);
  EXPECT_EQ(buffers[2].Generation(), 2u);
}

TEST(ManagerThreads, ListsForATabNoLongerShownAreDropped) {
  TQueueDispatcher dispatcher;
  RecordingView view;
  TManagerThreads threads(dispatcher, view, Quick());
  threads.Start(false, false, "");
  threads.RequestFill(2);
  ASSERT_TRUE(WaitFor([&] { return threads.FillThread(2).FillsDone() >= 1; }));
  threads.ShowTab(2);
  // The list of tab 2 is on its way; the view switches tab before it runs.
  ASSERT_TRUE(WaitFor([&] { return threads.Updater().ListsPosted() >= 1; }));
  threads.ShowTab(5);
  threads.RequestFill(5);
  ASSERT_TRUE(PumpUntil(dispatcher, [&] { return view.ListsOf(5) > 0; }));
  EXPECT_EQ(view.ListsOf(2), 0u);
  // A pause drops what is queued; the next request shows it again.
  threads.Updater().Pause();
  dispatcher.ProcessPending(milliseconds(50));
  const size_t shown = view.lists.size();
  threads.Updater().RequestUpdate();
  ASSERT_TRUE(PumpUntil(dispatcher, [&] { return view.lists.size() > shown; }));
  EXPECT_EQ(view.lists.back().tab, 5);
}

TEST(ManagerThreads, CounterAsksTheViewAndRepeatsOnRequest) {
  TQueueDispatcher dispatcher;
  RecordingView view;
  view.answer = TItemCount{1, 2, 3};
  TItemCounterThread counter(dispatcher, view, Quick());
  counter.Start();
  // Once at the start, then every spacing after a request.
  ASSERT_TRUE(PumpUntil(dispatcher, [&] { return view.counted.size() == 1; }));
  counter.RequestCount();
  ASSERT_TRUE(PumpUntil(dispatcher, [&] { return view.counted.size() >= 4; }));
  EXPECT_EQ(view.counted.back(), (TItemCount{1, 2, 3}));
  // No list visible: asked, nothing reported.
  view.answer.reset();
  const size_t counted = view.counted.size();
  const int asked = view.countsAsked;
  ASSERT_TRUE(PumpUntil(dispatcher, [&] { return view.countsAsked >= asked + 2; }));
  EXPECT_EQ(view.counted.size(), counted);
}

}  // namespace
}  // namespace vp
