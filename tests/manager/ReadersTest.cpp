#include <gtest/gtest.h>

#include <algorithm>

#include "files/StringTools.h"
#include "manager/ManagerReaders.h"
#include "platform/Platform.h"
#include "platform/System.h"
#include "platform/sim/SimMachine.h"
#include "support/PlantedEntries.h"
#include "support/ScratchFolder.h"
#include "support/TestSupport.h"

// Entries planted for each tab beside near misses, on the real registry
// under Wine and on the simulated one natively; the rows of the planted
// entries (all named "vpt...") must be exactly those expected. The real
// system has entries of its own, which the filter leaves out.
namespace vp {
namespace {

using platform::kHkeyClassesRoot;
using platform::kHkeyCurrentUser;
using platform::kHkeyLocalMachine;

struct Row {
  std::string caption;
  StringList columns;
  bool view32 = false;
  bool operator==(const Row&) const = default;
};

std::ostream& operator<<(std::ostream& out, const Row& row) {
  out << '"' << row.caption << '"';
  for (const auto& column : row.columns) out << " | \"" << column << '"';
  return out << (row.view32 ? " (32-bit)" : "");
}

std::vector<Row> PlantedRows(int tab, const TReaderContext& context) {
  TRowCollector rows;
  ReaderOfTab(tab)(context, rows);
  std::vector<Row> planted;
  for (const auto& row : rows.Rows()) {
    if (FixedUpperText(row.caption + row.columns).find("VPT") == std::string::npos) continue;
    planted.push_back({row.caption, SplitColumns(row.columns), row.view32});
  }
  return planted;
}

const std::string kRun = "Software\\Microsoft\\Windows\\CurrentVersion\\Run";
const std::string kUninstall = "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall";
// The same keys of the 32-bit programs, by the name a 64-bit program uses.
const std::string kRun32 = "Software\\Wow6432Node\\Microsoft\\Windows\\CurrentVersion\\Run";
const std::string kUninstall32 = "Software\\Wow6432Node\\Microsoft\\Windows\\CurrentVersion\\Uninstall";

TEST(ManagerReaders, SoftwareAndUninstallLists) {
  test::ScratchFolder scratch;
  test::PlantedEntries planted;
  planted.Key(kHkeyCurrentUser, "Software\\VptVendor\\VptProgram");
  planted.Key(kHkeyCurrentUser, "Software\\VptVendor\\Second Tool");
  planted.Key(kHkeyCurrentUser, "Software\\VPTLONE");
  planted.Key(kHkeyCurrentUser, "Software\\Voice\\VptSpeech");
  planted.Key(kHkeyLocalMachine, "Software\\Wow6432Node\\VptVendor32\\VptTool32");
  planted.Value(kHkeyLocalMachine, kUninstall + "\\VptOne", "DisplayName", "Vpt One");
  planted.Value(kHkeyCurrentUser, kUninstall + "\\VptOneAgain", "DisplayName", "vpt one");
  planted.Value(kHkeyLocalMachine, kUninstall + "\\VptQuietKey", "QuietDisplayName", "Vpt Quiet");
  planted.Key(kHkeyLocalMachine, kUninstall + "\\VptBare");
  planted.Value(kHkeyLocalMachine, kUninstall32 + "\\VptOld", "DisplayName", "Vpt One");
  planted.Value(kHkeyLocalMachine, kUninstall32 + "\\VptOld2", "DisplayName", "VPT ONE");
  planted.Value(kHkeyLocalMachine, kUninstall32 + "\\VptOnly32", "DisplayName", "Vpt Thirty-Two");
  const TReaderContext context;

  // Keys come in the registry's (alphabetical) order.
  EXPECT_EQ(PlantedRows(0, context), (std::vector<Row>{{"VptVendor32", {"VptTool32"}, true},
                                                       {"Voice", {"VptSpeech"}},
                                                       {"[Unknown]", {"VPTLONE"}},
                                                       {"VptVendor", {"Second Tool"}},
                                                       {"VptVendor", {"VptProgram"}}}));
  // The 32-bit view's own key is no vendor.
  TRowCollector all;
  ReadInstalledSoftware(context, all);
  for (const auto& row : all.Rows())
    EXPECT_EQ(PosEx("Wow6432Node", row.caption + row.columns), 0) << row.caption;
  // One caption shows once per view: the 32-bit programs' entries after the
  // machine's others.
  EXPECT_EQ(PlantedRows(2, context), (std::vector<Row>{{"VptBare", {}},
                                                       {"Vpt One", {}},
                                                       {"Vpt Quiet", {}},
                                                       {"Vpt One", {}, true},
                                                       {"Vpt Thirty-Two", {}, true}}));
}

TEST(ManagerReaders, ClassesLists) {
  test::ScratchFolder scratch;
  test::PlantedEntries planted;
  planted.Value(kHkeyClassesRoot, ".vptone", "", "vpt file");
  planted.Key(kHkeyClassesRoot, ".vpttwo");
  planted.Key(kHkeyClassesRoot, "vptnodot");
  planted.Value(kHkeyClassesRoot, "Wow6432Node\\.vptone", "", "vpt old file");
  planted.Key(kHkeyClassesRoot, "Wow6432Node\\vptclass\\Shell\\old");
  // The 32-bit view reaches this key through a link: it shows once.
  planted.Value(kHkeyClassesRoot, "TypeLib\\Shell\\vptshared\\Command", "", "x");
  planted.Value(kHkeyClassesRoot, "Directory\\Shell\\vptverb\\Command", "", "C:\\Tools\\vpt.exe %1");
  planted.Key(kHkeyClassesRoot, "*\\Shell\\vptbare");
  planted.Value(kHkeyClassesRoot, "vptclass\\Shell\\open\\Command", "", "c:\\tools\\vpt view.exe");
  planted.Key(kHkeyClassesRoot, "vptclass\\Shell\\edit");
  planted.Key(kHkeyClassesRoot, "Applications\\vptapp.exe");
  planted.Value(kHkeyClassesRoot, "Applications\\vpthidden.exe", "NoOpenWith", "");
  planted.Value(kHkeyClassesRoot, "Applications\\other.exe\\Shell", "FriendlyCache", "Vpt Friendly Tool");
  TReaderContext context;

  EXPECT_EQ(PlantedRows(3, context),
            (std::vector<Row>{
                {".vptone", {"Vpt File"}}, {".vpttwo", {"N/A"}}, {".vptone", {"Vpt Old File"}, true}}));
  std::vector<Row> verbs = PlantedRows(5, context);
  // Spelt as the system spells the key, in the 64-bit view only.
  auto shared = std::find_if(verbs.begin(), verbs.end(), [](const Row& row) {
    return row.columns == StringList{"Vptshared", "X"};
  });
  ASSERT_NE(shared, verbs.end());
  EXPECT_TRUE(SameText(shared->caption, "TypeLib")) << shared->caption;
  EXPECT_FALSE(shared->view32);
  verbs.erase(shared);
  EXPECT_EQ(verbs, (std::vector<Row>{{"[Directory]", {"Vptverb", "C:\\Tools\\vpt.exe %1"}},
                                     {"[All files]", {"Vptbare", "N/A"}},
                                     {"Directory", {"Vptverb", "C:\\Tools\\Vpt.exe %1"}},
                                     {"vptclass", {"Edit", "[Unknown]"}},
                                     {"vptclass", {"Open", "c:\\tools\\Vpt View.exe"}},
                                     {"vptclass", {"Old", "[Unknown]"}, true}}));
  // Hidden applications stay hidden on every version of Windows.
  for (bool xp : {false, true}) {
    context.isWinXP = xp;
    EXPECT_EQ(PlantedRows(7, context), (std::vector<Row>{{"Vpt Friendly Tool", {}}, {"Vptapp.exe", {}}}));
  }
}

TEST(ManagerReaders, NewFileMenu) {
  test::ScratchFolder scratch;
  test::PlantedEntries planted;
  const std::string editor = scratch.Path("vptedit.exe");
  scratch.PutFile("vptedit.exe", "MZ");
  planted.Value(kHkeyClassesRoot, ".vptnew", "", "vptnew.file");
  planted.Key(kHkeyClassesRoot, ".vptnew\\ShellNew");
  planted.Value(kHkeyClassesRoot, "vptnew.file\\shell\\open\\command", "", "\"" + editor + "\" %1");
  planted.Value(kHkeyClassesRoot, ".vptnoprog", "", "vptnoprog.file");
  planted.Key(kHkeyClassesRoot, ".vptnoprog\\ShellNew");
  planted.Key(kHkeyClassesRoot, ".vptnotype\\ShellNew");
  if (auto* machine = scratch.Sim()) {
    machine->System().SetAssociation(".vptnew", editor);
    machine->System().SetAssociation(".vptnotype", editor);
  }
  TFunctionCacher cacher;
  TReaderContext context;
  context.cacher = &cacher;

  const auto rows = PlantedRows(4, context);
  ASSERT_EQ(rows.size(), 1u);
  EXPECT_EQ(rows[0].caption, ".vptnew");
  ASSERT_EQ(rows[0].columns.size(), 2u);
  EXPECT_EQ(rows[0].columns[0], "vptnew.file");
  EXPECT_TRUE(SameText(rows[0].columns[1], editor)) << rows[0].columns[1];
  // The answers are remembered by the thread's cache.
  std::string remembered;
  EXPECT_TRUE(cacher.Lookup(".VPTNEW", remembered));
  EXPECT_EQ(remembered, rows[0].columns[1]);
}

TEST(ManagerReaders, MenuLists) {
  test::ScratchFolder scratch;
  test::PlantedEntries planted;
  planted.Key(kHkeyCurrentUser, "Software\\Microsoft\\Internet Explorer\\MenuExt\\vpt &Search");
  const std::string search = "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\FindExtensions\\Static";
  planted.Value(kHkeyLocalMachine, search + "\\VptGroup\\0", "", "vpt &files");
  planted.Value(kHkeyLocalMachine, search + "\\VptGroup\\1", "", "&");
  planted.Value(kHkeyLocalMachine, "Software\\Wow6432Node" + search.substr(8) + "\\VptOld\\0", "", "vpt old");
  TReaderContext context;

  EXPECT_EQ(PlantedRows(6, context), (std::vector<Row>{{"Vpt &Search", {}}}));
  EXPECT_TRUE(PlantedRows(8, context).empty());
  context.isWin2000 = true;
  EXPECT_EQ(PlantedRows(8, context), (std::vector<Row>{{"Vpt Files", {}}, {"Vpt Old", {}, true}}));
}

TEST(ManagerReaders, StartingPrograms) {
  if (test::BuiltFixturePath("Versioned.exe").empty()) GTEST_SKIP() << "built without mingw-w64";
  test::ScratchFolder scratch;
  test::PlantedEntries planted;
  scratch.PutFile("Versioned.exe", test::HostFileBytes(test::BuiltFixturePath("Versioned.exe")));
  scratch.PutFile("Data\\StartupCache.dat", "[Cache]\r\nvptrun.exe=Cached description\r\n");
  const std::string versioned = platform::Sys().LowerCase(scratch.Path("Versioned.exe"));
  planted.Value(kHkeyCurrentUser, kRun, "VptRun", "C:\\Tools\\VptRun.exe /background");
  planted.Value(kHkeyCurrentUser, kRun, "VptBlank", "   ");
  planted.Value(kHkeyLocalMachine, kRun, "vptversioned", scratch.Path("Versioned.exe"));
  planted.Value(kHkeyLocalMachine, kRun32, "VptOld", "c:\\old\\vptold.exe");
  const std::string user = platform::Sys().ShellFolderPath(platform::ShellFolder::Startup).value() + "\\";
  const std::string common =
      platform::Sys().ShellFolderPath(platform::ShellFolder::CommonStartup).value() + "\\";
  planted.File(user + "VptTool.exe.lnk", test::HostFileBytes(test::DataPath("shortcuts/tool.lnk")));
  planted.File(user + "VptNote.txt", "not a shortcut");
  planted.File(common + "VptBroken.lnk", "not a shortcut either");
  TReaderContext context;
  context.dataFolder = scratch.Path("Data\\");

  EXPECT_EQ(
      PlantedRows(1, context),
      (std::vector<Row>{
          {"VptRun",
           {"vptrun.exe", "Cached description", "c:\\tools\\vptrun.exe /background", "HKEY_CU\\Run"}},
          {"Vptversioned", {"versioned.exe", "Werkzeug f\xFCr Tests", versioned, "HKEY_LM\\Run"}},
          {"VptOld", {"vptold.exe", "N/A", "c:\\old\\vptold.exe", "HKEY_LM\\Run"}, true},
          {"VptTool", {"tool.exe", "N/A", "C:\\Program Files\\Tool\\tool.exe", user, "", "VptTool.exe.lnk"}},
          {"VptBroken", {"", "N/A", "N/A", common, "", "VptBroken.lnk"}},
      }));
}

}  // namespace
}  // namespace vp
