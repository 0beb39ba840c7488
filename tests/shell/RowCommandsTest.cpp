// The main window's row commands apart from the window: selection, pop-up
// menu, keys, the list as text and what each row command looks up.

#include <gtest/gtest.h>

#include <chrono>
#include <thread>

#include "files/FileTools.h"
#include "platform/Launcher.h"
#include "platform/Registry.h"
#include "platform/sim/RecordingLauncher.h"
#include "platform/sim/SimMachine.h"
#include "registry/FastRegistry.h"
#include "shell/logic/HelpItems.h"
#include "shell/logic/RowActions.h"
#include "shell/logic/RowSelection.h"
#include "support/PlantedEntries.h"
#include "support/ScratchFolder.h"

namespace vp::shell {
namespace {

// Rows written as one letter each: t ticked, s selected, b both, - neither.
std::vector<TRowState> Rows(std::string_view states) {
  std::vector<TRowState> rows;
  for (char c : states) rows.push_back({c == 't' || c == 'b', c == 's' || c == 'b', true});
  return rows;
}

std::string States(const std::vector<TRowState>& rows) {
  std::string states;
  for (const TRowState& row : rows) {
    EXPECT_FALSE(row.focused);
    states += row.ticked ? (row.selected ? 'b' : 't') : (row.selected ? 's' : '-');
  }
  return states;
}

TEST(RowCommandsTest, SelectionCommands) {
  const struct {
    TSelectCommand command;
    bool checkBoxes;
    const char* before;
    const char* after;
    size_t ticked;
  } cases[] = {
      {TSelectCommand::kAll, true, "-tsb", "bbbb", 4},
      {TSelectCommand::kNone, true, "-tsb", "----", 0},
      {TSelectCommand::kInverse, true, "-tsb", "b-b-", 2},
      {TSelectCommand::kInverse, false, "-s", "s-", 0},
      {TSelectCommand::kHighlighted, true, "-tsb", "-bbb", 3},
  };
  for (const auto& c : cases) {
    std::vector<TRowState> rows = Rows(c.before);
    EXPECT_EQ(ApplySelection(rows, c.command, c.checkBoxes), c.ticked) << c.before;
    EXPECT_EQ(States(rows), c.after) << c.before;
  }
}

TEST(RowCommandsTest, PopupItemsAndKeys) {
  TPopupContext noFocus{.tab = 2, .removeButton = true, .backupsButton = true};
  TPopupContext cleaner{
      .tab = 9, .focusedRow = true, .selectedRow = true, .fixButton = true, .removeButton = true};
  TPopupContext tickedRow = cleaner;
  tickedRow.selectedRowTicked = true;

  const TPopupItems a = PopupItems(noFocus);
  EXPECT_FALSE(a.select || a.selectAll || a.selectNone || a.selectInverse || a.separatorBeforeBackups);
  EXPECT_FALSE(a.regEdit || a.fix);
  EXPECT_TRUE(a.remove && a.backups && a.selectHighlighted && a.findMoreInformation);
  const TPopupItems b = PopupItems(cleaner);
  EXPECT_TRUE(b.select && b.fix && b.regEdit && b.selectAll && b.separatorBeforeBackups);
  EXPECT_FALSE(b.backups);
  EXPECT_FALSE(PopupItems(tickedRow).select);
  for (int tab = 0; tab <= 9; ++tab)
    EXPECT_EQ(TabHasRegEditKey(tab), tab != 0 && tab != 2 && tab != 4) << tab;

  const struct {
    TKeyPress key;
    const TPopupContext& context;
    TMainCommand command;
  } keys[] = {
      {{kVirtualKeyDelete}, cleaner, TMainCommand::kFix},
      {{kVirtualKeyDelete, false, true}, cleaner, TMainCommand::kFix},
      {{kVirtualKeyDelete}, noFocus, TMainCommand::kRemove},
      {{kVirtualKeyDelete, false, true}, noFocus, TMainCommand::kNone},
      {{kVirtualKeyDelete, true}, cleaner, TMainCommand::kNone},
      {{'R', true}, noFocus, TMainCommand::kRegEdit},
      {{'G', true}, noFocus, TMainCommand::kFindMoreInformation},
      {{'B', true}, noFocus, TMainCommand::kBackups},
      {{'B', true}, cleaner, TMainCommand::kNone},  // the Backups button is disabled
      {{'R'}, noFocus, TMainCommand::kNone},
      {{'R', true, false, true}, noFocus, TMainCommand::kNone},
  };
  for (size_t i = 0; i < std::size(keys); ++i)
    EXPECT_EQ(CommandForKey(keys[i].key, keys[i].context), keys[i].command) << "case " << i;
}

TEST(RowCommandsTest, ListAsTextAndItsFile) {
  const std::vector<TListRow> rows = {{"A", {"1", "2", "3"}}, {"B", {}}, {"C", {"x"}}};
  EXPECT_EQ(ListAsText(rows, 3), "A | 1 | 2\r\nB\r\nC | x\r\n");
  EXPECT_EQ(ListAsText(rows, 1), "A\r\nB\r\nC\r\n");
  const struct {
    const char* confirmed;
    const char* written;
  } names[] = {{"C:\\out\\report", "C:\\out\\report.txt"},
               {"C:\\out\\report.log", "C:\\out\\report.log"},
               {"C:\\my.dir\\report", "C:\\my.dir\\report.txt"},
               {"C:\\out\\report.", "C:\\out\\report..txt"},
               {"C:\\out\\.profile", "C:\\out\\.profile.txt"}};
  for (const auto& n : names) EXPECT_EQ(TextFileName(n.confirmed), n.written);

  test::ScratchFolder scratch;
  scratch.PutFile("report.txt", "old and longer than the new text");
  ASSERT_TRUE(SaveListAsText(scratch.Path("report"), rows, 2));
  EXPECT_EQ(ReadFileText(scratch.Path("report.txt")), "A | 1\r\nB\r\nC | x\r\n");
}

TEST(RowCommandsTest, DescriptionSearchAndRegEditKey) {
  EXPECT_EQ(BackupDescription("  ", "Registry cleaner", {"HKEY_X"}, false), "Registry cleaner");
  EXPECT_EQ(BackupDescription("", "Filetypes", {".abc"}, true), "Filetypes : .abc");
  EXPECT_EQ(BackupDescription("", "Filetypes", {".abc", ".def"}, true), "Filetypes");
  EXPECT_EQ(BackupDescription(" mine ", "Filetypes", {".abc"}, true), " mine ");

  const struct {
    int tab;
    TListRow row;
    std::string query;
  } queries[] = {
      {0, {"Tool", {"Maker Inc"}}, "\"Tool\" \"Maker Inc\""},
      {1, {"App", {"C:\\Program Files\\App\\app.EXE -min"}}, "\"app.EXE\""},
      {1, {"App", {"rundll32 shell,Run"}}, "\"rundll32 shell,Run\""},
      {5, {"txtfile", {"open"}}, "\"txtfile\""},
  };
  for (const auto& q : queries) EXPECT_EQ(SearchQuery(q.tab, q.row), q.query);
  EXPECT_EQ(SearchAddress("a+b c"), "https://www.bing.com/search?q=a%2Bb+c");
  EXPECT_EQ(SearchAddress("\"R&D\" #1 100% caf\xE9"),
            "https://www.bing.com/search?q=%22R%26D%22+%231+100%25+caf\xE9");

  const struct {
    int tab;
    TListRow row;
    std::optional<std::string> key;
  } keys[] = {
      {0, {"Tool", {}}, std::nullopt},
      {1,
       {"App", {"a", "b", "HKEY_CU\\RunOnce"}},
       "HKEY_CURRENT_USER\\Software\\Microsoft\\Windows\\CurrentVersion\\RunOnce"},
      {1,
       {"App", {"a", "b", "HKEY_LM\\RunServices"}},
       "HKEY_LOCAL_MACHINE\\Software\\Microsoft\\Windows\\CurrentVersion\\RunServices"},
      {1, {"App", {"a", "b", "C:\\Startup"}}, std::nullopt},
      {3, {".abc", {}}, "HKEY_CLASSES_ROOT\\.abc"},
      {7, {"app.exe", {}}, "HKEY_CLASSES_ROOT\\Applications\\app.exe"},
      {9, {"HKEY_LOCAL_MACHINE\\Software\\X", {}}, "HKEY_LOCAL_MACHINE\\Software\\X"},
  };
  for (const auto& k : keys) EXPECT_EQ(RegEditKey(k.tab, k.row), k.key) << k.tab;
}

const TListRow kRow = {".abc", {}};

TEST(RowCommandsTest, RegistryLookupsAndWhatTheCommandsStart) {
  test::ScratchFolder scratch;  // natively a fresh simulated machine
  test::PlantedEntries planted;
  const std::string uninstall = "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\";
  planted.Value(platform::kHkeyLocalMachine, uninstall + "VpTestA", "DisplayName", "Vp Test Program");
  planted.Value(platform::kHkeyLocalMachine, uninstall + "VpTestA", "UninstallString", "");
  planted.Value(platform::kHkeyLocalMachine, uninstall + "VpTestA", "QuietUninstallString", "quiet.exe /s");
  planted.Value(platform::kHkeyLocalMachine, uninstall + "VpTestB", "QuietDisplayName", "Vp Other Program");
  planted.Value(platform::kHkeyLocalMachine, uninstall + "VpTestB", "UninstallString", "other.exe");
  EXPECT_EQ(UninstallCommand("VP TEST PROGRAM"), "quiet.exe /s");
  EXPECT_EQ(UninstallCommand("vp other program"), "other.exe");
  EXPECT_EQ(UninstallCommand("Vp No Such Program"), std::nullopt);

  // The commands hand what they start to a launcher that records it.
  platform::sim::RecordingLauncher launcher;
  platform::Launcher& previous = platform::Launch();
  platform::InstallLauncher(&launcher);
  using Request = platform::sim::RecordingLauncher::Request;
  const auto uninstalled = Uninstall({"Vp No Such Program", "Vp Test Program", "Vp Other Program"});
  ASSERT_TRUE(uninstalled);
  EXPECT_EQ(uninstalled->row, 1u);
  EXPECT_TRUE(uninstalled->started);
  EXPECT_TRUE(FindMoreInformation(3, {"a b", {}}));
  EXPECT_TRUE(OpenRegEdit(0, nullptr));
  EXPECT_FALSE(OpenRegEdit(4, &kRow));  // tab 4 has no key: nothing starts
  const std::string settings = "Software\\Microsoft\\Windows\\CurrentVersion\\Applets\\Regedit";
  planted.Key(platform::kHkeyCurrentUser, settings);
  EXPECT_TRUE(OpenRegEdit(3, &kRow));
  platform::InstallLauncher(&previous);
  EXPECT_EQ(launcher.Requests(),
            (std::vector<Request>{{"start", "quiet.exe /s", ""},
                                  {"open", "https://www.bing.com/search?q=%22a+b%22", ""},
                                  {"", "RegEdit.exe", ""},
                                  {"start", "RegEdit.exe", ""}}));
  // Where the system's editor reads the key it opens at, under the name it
  // gives the machine's root: "My Computer" up to XP, "Computer" after (Wine
  // says 6.1).
  const auto remembered = [&] {
    auto registry = OpenReadOnly(platform::kHkeyCurrentUser, settings);
    return registry ? registry->ReadString("LastKey") : std::string("(no settings key)");
  };
  EXPECT_EQ(remembered(), "Computer\\HKEY_CLASSES_ROOT\\.abc");
  if (scratch.Sim() != nullptr) {
    scratch.Sim()->System().SetVersion({5, 1, 2600, 2});
    EXPECT_TRUE(RememberRegEditKey("HKEY_CURRENT_USER\\Software"));
    EXPECT_EQ(remembered(), "My Computer\\HKEY_CURRENT_USER\\Software");
  }
}

// Each Help item hands its document to the shell, the licence to the text
// editor and the web site to the browser; a document that is not there
// opens nothing.
TEST(RowCommandsTest, HelpItemsOpenTheirDocumentsAndTheWebSite) {
  test::ScratchFolder scratch;
  const std::string folder = scratch.Path("");
  platform::sim::RecordingLauncher launcher;
  platform::Launcher& previous = platform::Launch();
  platform::InstallLauncher(&launcher);
  using Request = platform::sim::RecordingLauncher::Request;
  const struct {
    HelpItem item;
    const char* document;  // below the program folder; nullptr for the web site
    Request wanted;
  } items[] = {
      {HelpItem::MainWindowHelp,
       "Documentation\\html\\reg_tools.html",
       {"open", folder + "Documentation\\html\\reg_tools.html", ""}},
      {HelpItem::BackupsHelp,
       "Documentation\\html\\backuptool.html",
       {"open", folder + "Documentation\\html\\backuptool.html", ""}},
      {HelpItem::Faq,
       "Documentation\\html\\FAQ.html",
       {"open", folder + "Documentation\\html\\FAQ.html", ""}},
      {HelpItem::License,
       "Documentation\\License Agreement.txt",
       {"open", "notepad", "\"" + folder + "Documentation\\License Agreement.txt\""}},
      {HelpItem::WebSite, nullptr, {"open", std::string(kWebSiteAddress), ""}},
  };
  for (const auto& t : items) {
    SCOPED_TRACE(t.wanted.target);
    launcher.Clear();
    if (t.document != nullptr) {
      EXPECT_FALSE(OpenHelpItem(t.item, folder)) << "no document yet";
      EXPECT_TRUE(launcher.Requests().empty());
      scratch.PutFile(t.document, "text");
    }
    EXPECT_TRUE(OpenHelpItem(t.item, folder));
    EXPECT_EQ(launcher.Requests(), std::vector<Request>{t.wanted});
  }
  platform::InstallLauncher(&previous);
}

#ifdef _WIN32
// Under Wine the real launcher starts the planted uninstaller, which leaves a
// marker file behind.
TEST(RowCommandsTest, UninstallStartsTheProgramsCommand) {
  test::ScratchFolder scratch;
  test::PlantedEntries planted;
  const std::string marker = scratch.Path("uninstalled.txt");
  const std::string key = "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\VpTestMarker";
  planted.Value(platform::kHkeyLocalMachine, key, "DisplayName", "Vp Marker Program");
  planted.Value(platform::kHkeyLocalMachine, key, "UninstallString",
                "cmd.exe /c echo done> \"" + marker + "\"");
  const auto result = Uninstall({"Vp Marker Program"});
  ASSERT_TRUE(result);
  ASSERT_TRUE(result->started);
  // The program runs on its own; give it time to write.
  for (int i = 0; i < 200 && !FileExistsChecked(marker); ++i)
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
  EXPECT_TRUE(FileExistsChecked(marker));
}
#endif

}  // namespace
}  // namespace vp::shell
