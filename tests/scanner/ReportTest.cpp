// The reporting routine, called directly on the test thread (the owner of
// the dispatcher, so the hand-over runs at once).

#include <gtest/gtest.h>

#include <set>

#include "ScanFixture.h"
#include "platform/sim/SimMachine.h"
#include "registry/FastRegistry.h"
#include "scanner/SafeList.h"
#include "support/SimHost.h"
#include "support/TestSupport.h"

namespace vp {
namespace {

using platform::kHkeyClassesRoot;
using platform::kHkeyCurrentUser;
using platform::kHkeyLocalMachine;
using platform::kHkeyUsers;

struct Reporter {
  explicit Reporter(const TScanOptions& options = {}) : sweeper(options, dispatcher) {
    sweeper.SetLanguage(test::TestLanguage());
    sweeper.OnItem = [this](TSweeper&, TNewItem& item) { items.push_back(item); };
  }
  void Report(RegHandle root, const std::string& key, const std::string& name = "v",
              const std::string& data = "d", int32_t code = kProblemUninstall,
              const std::string& detail = "") {
    sweeper.Report(root, key, name, data, 0, code, detail);
  }

  TQueueDispatcher dispatcher;
  TSweeper sweeper;
  std::vector<TNewItem> items;
};

TEST(ReportTest, NormalisesTheFinding) {
  struct Case {
    const char* key;
    const char* name;
    const char* data;
    int32_t code;
    const char* keyPath;
    const char* valueName;
    const char* valueData;
    const char* severity;
  } cases[] = {
      {"  Software\\App\\ ", "  ", "", 101, "Software\\App", "@", "(empty)", "sev2"},
      {"SOFTWARE\\SOFTWARE\\x", " n ", " d ", 101, "Software\\SOFTWARE\\x", "n", "d", "sev2"},
      {"Vendor\\SOFTWARE", "n", "d", 101, "Vendor\\Software", "n", "d", "sev2"},
      {"software\\x", "n", "d", 101, "software\\x", "n", "d", "sev2"},
      {"Software\\App\\RecentFileList", "File1", "d", 101, "Software\\App\\RecentFileList", "File1", "d",
       "sev0"},
      {"Software\\App", "n", "d", 42, "Software\\App", "n", "d", "sev0"},
  };
  for (const Case& c : cases) {
    Reporter reporter;
    reporter.Report(kHkeyLocalMachine, c.key, c.name, c.data, c.code);
    ASSERT_EQ(reporter.items.size(), 1u) << c.key;
    const TNewItem& item = reporter.items[0];
    EXPECT_EQ(item.RootName, "HKEY_LOCAL_MACHINE");
    EXPECT_EQ(item.KeyPath, c.keyPath);
    EXPECT_EQ(item.FullPath, std::string("HKEY_LOCAL_MACHINE\\") + c.keyPath);
    EXPECT_EQ(item.DisplayPath, item.FullPath);
    EXPECT_EQ(test::Show(item).entry, c.valueName);
    EXPECT_EQ(test::Show(item).data, c.valueData);
    EXPECT_EQ(test::Show(item).date, "(empty)");
    EXPECT_EQ(test::Show(item).severity, c.severity) << c.key;
    EXPECT_FALSE(item.Ignored);
  }
}

TEST(ReportTest, DropsWhatCannotBeReported) {
  Reporter reporter;
  reporter.Report(platform::kNoKey, "Software\\App");
  reporter.Report(platform::kHkeyPerformanceData, "Software\\App");  // a root without a name
  reporter.Report(kHkeyLocalMachine, "");
  reporter.Report(kHkeyLocalMachine, "Software\\App", "UserDbPath");  // the safe list
  EXPECT_TRUE(reporter.items.empty());
  EXPECT_FALSE(IsReportable("HKEY_LOCAL_MACHINE", "Software\\App", "UserDbPath", "d"));

  TScanOptions skipping;
  skipping.SkipHistoryLists = true;
  Reporter history(skipping);
  for (const char* key :
       {"Software\\App\\RecentFileList", "Software\\x\\OpenSaveMRU", "Software\\App\\MUICache",
        "Software\\WinZip\\filemenu", "Software\\Player Classic\\Favorites"})
    history.Report(kHkeyCurrentUser, key);
  history.Report(kHkeyCurrentUser, "Software\\App\\Settings");
  ASSERT_EQ(history.items.size(), 1u);
  EXPECT_EQ(history.items[0].KeyPath, "Software\\App\\Settings");

  Reporter stopped;
  stopped.sweeper.Stop();
  stopped.Report(kHkeyLocalMachine, "Software\\App");
  EXPECT_TRUE(stopped.items.empty());
}

TEST(ReportTest, IgnoreEntriesDropOrMarkTheItem) {
  const StringList ignoreList = {"vendorx", "sqxee:hkey_local_machine\\software\\exact\\val",
                                 "sqxee:hkey_local_machine\\software\\wholekey\\",
                                 "hkey_local_machine\\software\\byroot"};
  const StringList extraList = {"[HKEY_LOCAL_MACHINE\\Software\\Extra]Named=x", "::extratext"};
  struct Case {
    const char* key;
    const char* name;
    const char* data;
    bool ignored;
  } cases[] = {
      {"Software\\VendorX\\App", "n", "d", true},          // key path
      {"Software\\App", "VENDORX tool", "d", true},        // value name
      {"Software\\App", "n", "C:\\VendorX\\a.exe", true},  // value data
      {"Software\\ByRoot\\App", "n", "d", true},           // root and key path
      {"Software\\Exact", "Val", "d", true},               // exact entry
      {"Software\\Exact", "Value", "d", false},
      {"Software\\Exact\\Sub", "Val", "d", false},
      {"Software\\WholeKey", test::kWholeKey, "d", true},  // exact entry of a whole key
      {"Software\\Extra", "named", "d", true},             // extra list, bracketed
      {"Software\\Extra", "other", "d", false},
      {"Software\\App", "n", "has ExtraText in it", true},  // extra list, "::"
      {"Software\\App", "n", "d", false},
  };
  for (bool reportIgnored : {false, true}) {
    for (const Case& c : cases) {
      TScanOptions options;
      options.IgnoreList = &ignoreList;
      options.ExtraIgnoreList = &extraList;
      options.ReportIgnored = reportIgnored;
      Reporter reporter(options);
      reporter.Report(kHkeyLocalMachine, c.key, c.name, c.data);
      if (c.ignored && !reportIgnored) {
        EXPECT_TRUE(reporter.items.empty()) << c.key << " " << c.name;
        continue;
      }
      ASSERT_EQ(reporter.items.size(), 1u) << c.key << " " << c.name;
      EXPECT_EQ(reporter.items[0].Ignored, c.ignored) << c.key << " " << c.name;
      EXPECT_EQ(test::Show(reporter.items[0]).problem, c.ignored ? "Ignored: Uninstall" : "Uninstall");
    }
  }
}

TEST(ReportTest, ComFindingsOfTheSystemAreNotReported) {
  struct Case {
    const char* key;
    const char* name;
    const char* data;
    bool reported;
  } cases[] = {
      {"MSComponent\\x", "n", "d", false},
      {"Vendor\\Comp", "msName", "d", false},
      {"Vendor\\Comp", "n", "ms-thing", false},
      {"Vendor\\Comp", "WMPlayer", "d", false},
      {"wmpx\\Comp", "n", "d", false},
      {"Vendor\\Comp", "n", "C:\\WINDOWS\\a.dll", false},
      {"Vendor\\Comp", "n", "c:\\x\\system32\\a.dll", false},
      {"Vendor\\Microsoft\\x", "n", "d", false},
      {"Vendor\\Comp", "n", "VMAppSdk", false},
      {"Vendor\\Comp", "n", "C:\\Vendor\\comp.dll", true},
      {"Vendor\\Comp", "n", "has ms inside", true},
  };
  for (const Case& c : cases) {
    Reporter com;
    com.Report(kHkeyLocalMachine, c.key, c.name, c.data, kProblemComRegistration, "");
    EXPECT_EQ(com.items.size(), c.reported ? 1u : 0u) << c.key << " " << c.name << " " << c.data;
    // Only the COM check's findings are filtered so.
    Reporter other;
    other.Report(kHkeyLocalMachine, c.key, c.name, c.data, kProblemUninstall, "");
    EXPECT_EQ(other.items.size(), 1u) << c.key;
  }
}

TEST(ReportTest, DisplayPathFollowsTheRootNameStyle) {
  const char* expected[] = {"HKEY_LOCAL_MACHINE\\Software\\Microsoft\\Run",
                            "HKLM\\Software\\Microsoft\\Run\\", "HKLM\\Soft\\MSoft\\Run\\"};
  for (int style = 0; style <= 2; ++style) {
    TScanOptions options;
    options.RootNameStyle = style;
    Reporter reporter(options);
    reporter.Report(kHkeyLocalMachine, "SOFTWARE\\Microsoft\\Run");
    ASSERT_EQ(reporter.items.size(), 1u);
    EXPECT_EQ(reporter.items[0].DisplayPath, expected[style]);
    EXPECT_EQ(reporter.items[0].FullPath, "HKEY_LOCAL_MACHINE\\Software\\Microsoft\\Run");
  }
}

TEST(ReportTest, KeyDatesAreShownInLocalTime) {
  test::SimHost sim{{.mapDriveC = false}};
  // 2020-01-02 03:04:05 UTC.
  const DateTime utc = FileTimeToDateTime(132224078450000000ull);
  struct Case {
    platform::TimeZoneState zone;
    const char* format;
    const char* text;
  } cases[] = {
      {{platform::TimeZoneState::Standard, -60, 0, -60}, "", "2020-01-02 04:04:05"},
      {{platform::TimeZoneState::Daylight, 300, 0, -60}, "yyyy-mm-dd hh:nn:ss", "2020-01-01 23:04:05"},
      {{platform::TimeZoneState::Unknown, 300, 0, -60}, "d.m.yy h:n:s 'at' yyyy", "2.1.20 3:4:5 at 2020"},
  };
  for (const Case& c : cases) {
    sim.Machine().System().SetTimeZone(c.zone);
    TScanOptions options;
    options.DateFormat = c.format;
    Reporter reporter(options);
    reporter.sweeper.Report(kHkeyLocalMachine, "Software\\App", "n", "d", utc, kProblemUninstall, "");
    ASSERT_EQ(reporter.items.size(), 1u);
    EXPECT_EQ(reporter.items[0].KeyDate, c.text);
  }
}

TEST(ReportTest, ClassesRootFindingsAreMirroredUnderTheMachine) {
  const StringList ignoreList = {"software\\classes\\.vpignored"};
  TScanOptions options;
  options.IgnoreList = &ignoreList;
  Reporter reporter(options);
  reporter.Report(kHkeyClassesRoot, ".vpx", "n", "d");
  reporter.Report(kHkeyClassesRoot, ".vpignored", "n", "d");  // the mirror passes the filters again
  ASSERT_EQ(reporter.items.size(), 3u);
  EXPECT_EQ(reporter.items[0].FullPath, "HKEY_CLASSES_ROOT\\.vpx");
  EXPECT_EQ(reporter.items[1].FullPath, "HKEY_LOCAL_MACHINE\\Software\\classes\\.vpx");
  EXPECT_EQ(test::Show(reporter.items[1]).entry, "n");
  EXPECT_EQ(reporter.items[2].FullPath, "HKEY_CLASSES_ROOT\\.vpignored");

  // Without the user's hive a finding under HKEY_CURRENT_USER stays single.
  Reporter user;
  user.Report(kHkeyCurrentUser, "Software\\App");
  EXPECT_EQ(user.items.size(), 1u);
}

TEST(ReportTest, CurrentUserFindingsAreMirroredUnderTheUsersHive) {
  test::ScanFixture fixture;
  ASSERT_TRUE(fixture.Ok());
  TFastRegistry registry;
  StringList before;
  ASSERT_TRUE(registry.OpenKeyReadOnly("Software"));
  registry.GetKeyNames(before);
  registry.CloseKey();

  Reporter reporter;
  reporter.sweeper.DiscoverCurrentUserHive();
  const std::string hive = reporter.sweeper.CurrentUserHive();
  ASSERT_FALSE(hive.empty());
  // The hive found is the one that holds this test's own key.
  TFastRegistry users;
  users.SetRootKey(kHkeyUsers);
  EXPECT_TRUE(users.OpenKeyReadOnly(hive + "\\" + fixture.KeyPath()));
  if (!test::kOnRealWindows) {
    EXPECT_EQ(hive, platform::sim::SimRegistry::kUserSid);
  }

  // The marker key is gone again.
  StringList after;
  ASSERT_TRUE(registry.OpenKeyReadOnly("Software"));
  registry.GetKeyNames(after);
  EXPECT_EQ(after, before);

  reporter.Report(kHkeyCurrentUser, fixture.KeyPath() + "\\App", "n", "d");
  ASSERT_EQ(reporter.items.size(), 2u);
  EXPECT_EQ(reporter.items[0].FullPath, "HKEY_CURRENT_USER\\" + fixture.KeyPath() + "\\App");
  EXPECT_EQ(reporter.items[1].FullPath, "HKEY_USERS\\" + hive + "\\" + fixture.KeyPath() + "\\App");
}

// Another area may list the marker key while it exists and report it after
// its removal: a marker is never reported, a key that merely shares its
// first letters is.
TEST(ReportTest, HiveMarkersAreNeverReported) {
  test::ScanFixture fixture;
  ASSERT_TRUE(fixture.Ok());
  Reporter reporter;
  reporter.sweeper.DiscoverCurrentUserHive();
  const std::string marker = reporter.sweeper.LastHiveMarker();
  ASSERT_FALSE(marker.empty());
  reporter.Report(kHkeyCurrentUser, marker, "", "");
  reporter.Report(kHkeyCurrentUser, marker + "\\Sub", "n", "d");
  EXPECT_TRUE(reporter.items.empty());
  reporter.Report(kHkeyCurrentUser, marker + "0", "n", "d");
  ASSERT_FALSE(reporter.items.empty());
  EXPECT_EQ(reporter.items[0].FullPath, "HKEY_CURRENT_USER\\" + marker + "0");
}

TEST(ReportTest, WholeKeyFindingsListTheKeysContents) {
  test::ScanFixture fixture;
  ASSERT_TRUE(fixture.Ok());
  ASSERT_TRUE(fixture.ApplyFixture("whole_key.reg"));
  Reporter reporter;
  const std::string key = fixture.KeyPath() + "\\Gone";
  reporter.sweeper.Report(kHkeyCurrentUser, key, test::kWholeKey, test::kWholeKey, 0, kProblemUninstall, "");
  std::multiset<std::string> seen;
  for (const TNewItem& item : reporter.items) {
    EXPECT_EQ(test::Show(item).problem, "Uninstall");
    seen.insert(item.KeyPath.substr(fixture.KeyPath().size()) + "|" + test::Show(item).entry + "|" +
                test::Show(item).data);
  }
  const std::multiset<std::string> expected = {"\\Gone|(whole key)|(whole key)",
                                               "\\Gone|@|default text",
                                               "\\Gone|A|one",
                                               "\\Gone|Number|16",
                                               "\\Gone|Empty text|(empty)",
                                               "\\Gone\\Inner|C|three",
                                               "\\Gone\\Inner\\Deeper|D|four"};
  EXPECT_EQ(seen, expected);
  // The key itself is marked by its flag, with no text of the language in it.
  ASSERT_FALSE(reporter.items.empty());
  EXPECT_TRUE(reporter.items[0].WholeKey);
  EXPECT_EQ(reporter.items[0].ValueName + reporter.items[0].ValueData, "");
  for (size_t i = 1; i < reporter.items.size(); ++i) EXPECT_FALSE(reporter.items[i].WholeKey);
}

}  // namespace
}  // namespace vp
