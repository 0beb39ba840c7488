// The whole road on the installed system (the real registry under Wine, a
// simulated machine natively): scan, fix a chosen part, restore the set.

#include <gtest/gtest.h>

#include <fstream>

#include "CliTestSupport.h"
#include "platform/Platform.h"
#include "platform/System.h"
#include "registry/FastRegistry.h"
#include "support/RegistryTestSupport.h"
#include "support/RegistryTree.h"
#include "support/ScratchFolder.h"

namespace vp::test {
namespace {

// The user's desktop and documents folders, whose every sub-folder Fix
// searches, pointed elsewhere for the test's time (a Wine prefix links them
// to the whole home folder).
class ShellFoldersAt {
 public:
  explicit ShellFoldersAt(const std::string& folder) {
    TFastRegistry registry;
    if (!registry.OpenKey(kKey, true)) return;
    for (const char* name : {"Desktop", "Personal"}) {
      if (registry.ValueExists(name)) saved_.emplace_back(name, registry.ReadString(name));
      registry.WriteString(name, folder);
    }
  }
  ~ShellFoldersAt() {
    TFastRegistry registry;
    if (!registry.OpenKey(kKey, false)) return;
    for (const char* name : {"Desktop", "Personal"}) registry.DeleteValue(name);
    for (const auto& [name, value] : saved_) registry.WriteString(name, value);
  }

 private:
  static constexpr const char* kKey =
      "\\Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders";
  std::vector<std::pair<std::string, std::string>> saved_;
};

class ScanFixRestoreTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(key_.Ok());
    scratch_.PutFile("prog\\Languages\\English.lng", ShippedFile("Languages/English.lng"));
    scratch_.PutFile("prog\\Data\\Default IgnoreList.dat", ShippedFile("Data/Default IgnoreList.dat"));
    program_ = scratch_.Path("prog\\");
    scratch_.PutFile("new\\tool.exe", "x");
    scratch_.PutFile("kept.exe", "x");
    // The file cache knows where tool.exe went; its paths are lower case.
    newTool_ = platform::Sys().LowerCase(scratch_.Path("new\\tool.exe"));
    scratch_.PutFile("prog\\Data\\FileCache.dat",
                     "<tool.exe>@<" + platform::Sys().LowerCase(scratch_.Path("new\\")) + ">\r\n");

    TFastRegistry registry;
    ASSERT_TRUE(registry.OpenKey("\\" + key_.Path(), false));
    registry.WriteString("Moved", "\"" + scratch_.Path("old\\tool.exe") + "\" /q");
    registry.WriteString("Gone", scratch_.Path("gone\\lost.exe"));
    registry.WriteString("Kept", scratch_.Path("kept.exe"));
    ASSERT_TRUE(registry.OpenKey("\\" + key_.Path() + "\\Sub", true));
    registry.WriteString("Lost", scratch_.Path("gone\\sub.dll"));
  }

  // The whole-user walk is the area that finds references below our key.
  CliRun Cli(cli::Arguments arguments) {
    arguments.insert(arguments.end(), {"--area", "4", "--folder", program_});
    return RunCli(arguments);
  }

  TreeSnapshot Dump() { return SnapshotTree(platform::kHkeyCurrentUser, key_.Path()); }

  ScratchFolder scratch_;
  ShellFoldersAt shellFolders_{scratch_.Path("home")};
  ScratchKey key_;
  std::string program_;
  std::string newTool_;
};

TEST_F(ScanFixRestoreTest, FixesTheChosenFindingsAndTheSetPutsThemBack) {
  const TreeSnapshot original = Dump();
  const std::string ours = key_.FullPath();

  const CliRun scan = Cli({"scan"});
  ASSERT_EQ(scan.status, 1) << scan.err;
  const std::vector<std::string> rows = LinesWith(scan.out, ours);
  ASSERT_EQ(rows.size(), 3u) << scan.out;
  EXPECT_EQ(rows[0].rfind(ours + " | Gone | ", 0), 0u) << rows[0];
  EXPECT_EQ(rows[1].rfind(ours + " | Moved | ", 0), 0u) << rows[1];
  EXPECT_EQ(rows[2].rfind(ours + "\\Sub | Lost | ", 0), 0u) << rows[2];

  const CliRun json = Cli({"scan", "--json"});
  ASSERT_EQ(json.status, 1) << json.err;
  const std::vector<std::string> objects = LinesWith(json.out, "\"code\":102");
  EXPECT_EQ(LinesWith(json.out, "VeltaroTest").size(), 3u);
  EXPECT_GE(objects.size(), 3u);

  // The rows as scan printed them, plus one the scan no longer reports.
  const std::string selection =
      rows[0] + "\n" + rows[1] + "\n" + ours + "\\Sub | Lost\n" + ours + " | Nope\n";
  // The file is the command line's own, read as any program reads a file.
  scratch_.PutFile("select.txt", selection);
  const std::string selectFile = scratch_.Host("select.txt").string();
  const CliRun dryRun = Cli({"fix", "--select", selectFile, "--dry-run"});
  ASSERT_EQ(dryRun.status, 0) << dryRun.err;
  EXPECT_EQ(Dump(), original);

  const CliRun fix = Cli({"fix", "--select", selectFile, "--description", "end to end"});
  ASSERT_EQ(fix.status, 0) << fix.out << fix.err;
  EXPECT_EQ(LinesWith(fix.out, "skipped").size(), 1u) << fix.out;
  EXPECT_EQ(LinesWith(fix.out, "Repaired: 1, removed: 2, failed: 0").size(), 1u) << fix.out;
  const std::vector<std::string> setLine = LinesWith(fix.out, "Backup set: " + program_ + "Backups\\");
  ASSERT_EQ(setLine.size(), 1u) << fix.out;

  // Expected: Moved points at the file where the cache saw it, the two
  // dead references are gone, everything else is as it was.
  TreeSnapshot expected = original;
  expected[""].erase("Moved");
  expected[""].erase("Gone");
  expected["Sub"].erase("Lost");
  TreeSnapshot after = Dump();
  after[""].erase("Moved");
  EXPECT_EQ(after, expected);
  TFastRegistry registry;
  ASSERT_TRUE(registry.OpenKeyReadOnly(key_.Path()));
  EXPECT_EQ(registry.ReadString("Moved"), "\"" + newTool_ + "\" /q");

  const std::string setFolder = setLine[0].substr(setLine[0].find(": ") + 2);
  const std::string id = setFolder.substr(setFolder.size() - 7, 6);
  const CliRun restore = RunCli({"backups", "restore", id, "--folder", program_});
  ASSERT_EQ(restore.status, 0) << restore.out << restore.err;
  EXPECT_EQ(Dump(), original);
}

// What a fix repaired or removed is not found again by the same scan: a
// history list of files that exist is removed, not "repaired" with itself.
TEST_F(ScanFixRestoreTest, AFixedFindingIsNotFoundAgain) {
  const std::string list = key_.FullPath() + "\\Recent File List";
  {
    TFastRegistry registry;
    ASSERT_TRUE(registry.OpenKey("\\" + key_.Path() + "\\Recent File List", true));
    for (int i = 1; i <= 5; ++i) {
      scratch_.PutFile("docs\\paper" + std::to_string(i) + ".txt", "x");
      registry.WriteString("File" + std::to_string(i),
                           scratch_.Path("docs\\paper" + std::to_string(i) + ".txt"));
    }
  }
  auto rows = [&] {
    const CliRun scan = RunCli({"scan", "--area", "15", "--folder", program_});
    EXPECT_NE(scan.status, 2) << scan.err;
    return LinesWith(scan.out, list + " | ");
  };
  const std::vector<std::string> found = rows();
  ASSERT_EQ(found.size(), 5u);
  std::string selection;
  for (const std::string& row : found) selection += row + "\n";
  scratch_.PutFile("select.txt", selection);
  const CliRun fix =
      RunCli({"fix", "--select", scratch_.Host("select.txt").string(), "--area", "15", "--folder", program_});
  ASSERT_EQ(fix.status, 0) << fix.out << fix.err;
  EXPECT_EQ(LinesWith(fix.out, "Repaired: 0, removed: 5, failed: 0").size(), 1u) << fix.out;
  EXPECT_TRUE(rows().empty());
}

TEST_F(ScanFixRestoreTest, InterruptedScanSaysSoAndFixChangesNothing) {
  const TreeSnapshot original = Dump();
  std::atomic<bool> interrupted{true};
  const CliRun scan = RunCli({"scan", "--area", "4", "--folder", program_}, &interrupted);
  EXPECT_EQ(scan.status, 2);
  EXPECT_EQ(LinesWith(scan.err, "interrupted").size(), 1u) << scan.err;
  const CliRun fix = RunCli({"fix", "--all", "--area", "4", "--folder", program_}, &interrupted);
  EXPECT_EQ(fix.status, 2);
  EXPECT_EQ(Dump(), original);
}

TEST_F(ScanFixRestoreTest, BadArgumentsAndMissingFoldersAreErrors) {
  scratch_.PutFile("nodata\\Languages\\English.lng", ShippedFile("Languages/English.lng"));
  struct Case {
    cli::Arguments arguments;
    std::string message;
  };
  const Case cases[] = {
      {{}, "usage"},
      {{"frobnicate"}, "unknown command"},
      {{"scan", "--bogus", "--folder", program_}, "unknown argument"},
      {{"scan", "--area", "0", "--folder", program_}, "--area"},
      {{"fix", "--folder", program_}, "--all or --select"},
      {{"fix", "--all", "--select", "x", "--folder", program_}, "--all or --select"},
      {{"fix", "--select", scratch_.Path("missing.txt"), "--folder", program_}, "cannot read"},
      {{"scan", "--folder", scratch_.Path("empty\\")}, "language file"},
      {{"scan", "--folder", scratch_.Path("nodata\\")}, "data folder"},
      {{"--folder"}, "needs a value"},
  };
  for (const Case& c : cases) {
    const CliRun run = RunCli(c.arguments);
    EXPECT_EQ(run.status, 2) << c.message;
    EXPECT_NE(run.err.find(c.message), std::string::npos) << c.message << ": " << run.err;
  }
}

}  // namespace
}  // namespace vp::test
