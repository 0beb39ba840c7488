// The native program's machine mode on the shipped demo: a registry loaded
// from a .reg file, drive C: a host folder, the registry written back after
// a fix and after a restore.

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <map>

#include "CliTestSupport.h"
#include "cli/MachineMode.h"
#include "platform/Platform.h"
#include "support/RegistryTree.h"
#include "support/TestSupport.h"

namespace vp::test {
namespace {

namespace fs = std::filesystem;

#ifndef _WIN32

void WriteHost(const fs::path& path, const std::string& bytes) {
  fs::create_directories(path.parent_path());
  std::ofstream(path, std::ios::binary) << bytes;
}

// The registry a .reg file makes: the software keys of both hives.
using Registry = std::map<std::string, TreeSnapshot>;
Registry RegistryOf(const fs::path& regFile, const fs::path& programFolder) {
  cli::MachineMode machine;
  std::string error;
  EXPECT_TRUE(machine.Build(regFile.string(), {}, programFolder.string(), error)) << error;
  return {{"HKLM", SnapshotTree(platform::kHkeyLocalMachine, "Software")},
          {"HKCU", SnapshotTree(platform::kHkeyCurrentUser, "Software")}};
}

class DemoMachineTest : public ::testing::Test {
 protected:
  void SetUp() override {
    root_ = fs::temp_directory_path() /
            ("vpdemo" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()) + "-" +
             ::testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::remove_all(root_);
    const fs::path demo = fs::path(DataPath("../../demo"));
    fs::create_directories(root_);
    fs::copy(demo / "drive_c", root_ / "drive_c", fs::copy_options::recursive);
    fs::copy_file(demo / "demo.reg", root_ / "demo.reg");
    WriteHost(root_ / "prog/Languages/English.lng", ShippedFile("Languages/English.lng"));
    WriteHost(root_ / "prog/Data/Default IgnoreList.dat", ShippedFile("Data/Default IgnoreList.dat"));
  }
  void TearDown() override { fs::remove_all(root_); }

  CliRun Cli(cli::Arguments arguments) {
    arguments.insert(arguments.begin(),
                     {"--registry", (root_ / "demo.reg").string(), "--drive",
                      "C=" + (root_ / "drive_c").string(), "--folder", (root_ / "prog").string()});
    return RunCli(arguments);
  }

  fs::path root_;
};

TEST_F(DemoMachineTest, ScanFixAndRestoreRewriteTheRegistryFile) {
  const Registry original = RegistryOf(root_ / "demo.reg", root_ / "prog");
  const std::string originalBytes = HostFileBytes(root_ / "demo.reg");

  // The planted problems of every kind, and none of the healthy entries.
  const CliRun scan = Cli({"scan"});
  ASSERT_EQ(scan.status, 1) << scan.err;
  for (const char* planted :
       {"Run | Notes |", "Run | Updater |", "Uninstall\\GoneCorp | [Whole key] |",
        "App Paths\\painter.exe | @ |", "Help | painter.hlp |", "Old Gothic (TrueType) |",
        "Abandoned Vendor | [Whole key] |", ".zzq | [Whole key] |", "Recent File List | File2 |"})
    EXPECT_FALSE(LinesWith(scan.out, planted).empty()) << planted << "\n" << scan.out;
  for (const char* healthy : {"Run | Editor |", "Uninstall\\Editor |", "App Paths\\editor.exe |", "Demo Sans",
                              "| File1 |", ".dtxt", "DemoText"})
    EXPECT_TRUE(LinesWith(scan.out, healthy).empty()) << healthy << "\n" << scan.out;

  const CliRun dryRun = Cli({"fix", "--all", "--dry-run"});
  ASSERT_EQ(dryRun.status, 0) << dryRun.err;
  EXPECT_EQ(HostFileBytes(root_ / "demo.reg"), originalBytes);
  EXPECT_FALSE(fs::exists(root_ / "prog/Backups"));

  const CliRun fix = Cli({"fix", "--all"});
  ASSERT_EQ(fix.status, 0) << fix.out << fix.err;
  // Two findings name what another finding of the same fix removed.
  EXPECT_EQ(LinesWith(fix.out, "Repaired: 1, removed: 10, failed: 0, already gone: 2").size(), 1u) << fix.out;
  const std::vector<std::string> setLine = LinesWith(fix.out, "Backup set: ");
  ASSERT_EQ(setLine.size(), 1u) << fix.out;
  EXPECT_EQ(LinesWith(fix.out,
                      "repaired: HKEY_CURRENT_USER\\Software\\Microsoft\\Windows\\CurrentVersion\\Run | "
                      "Notes -> \"C:\\Users\\demo\\Documents\\Apps\\Notes\\notes.exe\" /min")
                .size(),
            1u)
      << fix.out;

  // The file now holds the expected registry: the original with the
  // planted problems removed and the moved program's entry repaired.
  Registry expected;
  {
    WriteHost(
        root_ / "expected.reg",
        "REGEDIT4\r\n\r\n"
        "[-HKEY_CURRENT_USER\\Software\\Abandoned Vendor]\r\n\r\n"
        "[-HKEY_CLASSES_ROOT\\.zzq]\r\n\r\n"
        "[-HKEY_LOCAL_MACHINE\\Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\GoneCorp]\r\n\r\n"
        "[HKEY_LOCAL_MACHINE\\Software\\Microsoft\\Windows\\CurrentVersion\\App Paths\\painter.exe]\r\n"
        "@=-\r\n\r\n"
        "[HKEY_LOCAL_MACHINE\\Software\\Microsoft\\Windows\\Help]\r\n\"painter.hlp\"=-\r\n\r\n"
        "[HKEY_LOCAL_MACHINE\\Software\\Microsoft\\Windows NT\\CurrentVersion\\Fonts]\r\n"
        "\"Old Gothic (TrueType)\"=-\r\n\r\n"
        "[HKEY_CURRENT_USER\\Software\\Editor\\Recent File List]\r\n\"File2\"=-\r\n\r\n"
        "[HKEY_CURRENT_USER\\Software\\Microsoft\\Windows\\CurrentVersion\\Run]\r\n\"Updater\"=-\r\n"
        "\"Notes\"=\"\\\"C:\\\\Users\\\\demo\\\\Documents\\\\Apps\\\\Notes\\\\notes.exe\\\" /min\"\r\n");
    // The demo's own text followed by the changes, as one import.
    WriteHost(root_ / "both.reg", originalBytes + "\r\n" + HostFileBytes(root_ / "expected.reg").substr(10));
    expected = RegistryOf(root_ / "both.reg", root_ / "prog");
  }
  EXPECT_EQ(RegistryOf(root_ / "demo.reg", root_ / "prog"), expected);
  EXPECT_EQ(Cli({"scan"}).status, 0);

  const std::string id = setLine[0].substr(setLine[0].size() - 7, 6);
  const CliRun restore = Cli({"backups", "restore", id});
  ASSERT_EQ(restore.status, 0) << restore.out << restore.err;
  EXPECT_EQ(RegistryOf(root_ / "demo.reg", root_ / "prog"), original);
}

// A command that fails, or changes nothing, leaves the registry file byte
// for byte as it was (comments and all).
TEST_F(DemoMachineTest, FailedCommandsLeaveTheFileAsItWas) {
  const std::string original = HostFileBytes(root_ / "demo.reg");
  fs::create_directories(root_ / "prog/Backups/00DEAD");
  WriteHost(root_ / "prog/Backups/00DEAD/Index.dat", "[Header]\r\nText=forged\r\nTypeCode=9\r\n");
  WriteHost(root_ / "prog/Backups/00DEAD/Entries.reg", "REGEDIT4\r\n\r\n[-HKEY_LOCAL_MACHINE\\Software]\r\n");
  const cli::Arguments failing[] = {
      {"backups", "restore", "NOPE"},
      {"backups", "restore", "00DEAD"},
      {"backups", "restore", "--force", "00DEAD"},
      {"fix", "--bogus"},
      {"fix", "--select", (root_ / "missing.txt").string()},
  };
  for (const cli::Arguments& arguments : failing) {
    EXPECT_EQ(Cli(arguments).status, 2) << testing::PrintToString(arguments);
    EXPECT_EQ(HostFileBytes(root_ / "demo.reg"), original) << testing::PrintToString(arguments);
  }
  std::atomic<bool> interrupted{true};
  cli::Arguments arguments{
      "--registry", (root_ / "demo.reg").string(), "--drive", "C=" + (root_ / "drive_c").string(),
      "--folder",   (root_ / "prog").string(),     "fix",     "--all"};
  EXPECT_EQ(RunCli(arguments, &interrupted).status, 2);
  EXPECT_EQ(HostFileBytes(root_ / "demo.reg"), original);
}

// The save never follows a name planted beside the file, keeps the file's
// permissions, and writes through a registry file that is a link.
TEST_F(DemoMachineTest, SaveWritesThroughLinksAndNoPlantedName) {
  WriteHost(root_ / "victim.txt", "untouched");
  fs::create_symlink(root_ / "victim.txt", root_ / "demo.reg.tmp");
  fs::rename(root_ / "demo.reg", root_ / "real.reg");
  fs::create_symlink(root_ / "real.reg", root_ / "demo.reg");
  fs::permissions(root_ / "real.reg", fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
  const std::string before = HostFileBytes(root_ / "real.reg");

  ASSERT_EQ(Cli({"fix", "--all"}).status, 0);
  EXPECT_EQ(HostFileBytes(root_ / "victim.txt"), "untouched");
  EXPECT_TRUE(fs::is_symlink(root_ / "demo.reg"));
  EXPECT_NE(HostFileBytes(root_ / "real.reg"), before);
  EXPECT_EQ(fs::status(root_ / "real.reg").permissions(),
            fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
  EXPECT_EQ(Cli({"scan"}).status, 0);
  for (const auto& entry : fs::directory_iterator(root_))
    EXPECT_EQ(entry.path().filename().string().find(".tmp-"), std::string::npos) << entry.path();
}

// HKEY_DYN_DATA content that loads is written back with the rest.
TEST_F(DemoMachineTest, EveryRootThatLoadsIsSaved) {
  WriteHost(root_ / "demo.reg", HostFileBytes(root_ / "demo.reg") +
                                    "\r\n[HKEY_DYN_DATA\\PerfStats]\r\n\"Kept\"=dword:00000007\r\n");
  ASSERT_EQ(Cli({"fix", "--all"}).status, 0);
  EXPECT_NE(HostFileBytes(root_ / "demo.reg").find("[HKEY_DYN_DATA\\PerfStats]\r\n\"Kept\"=dword:00000007"),
            std::string::npos);
}

TEST_F(DemoMachineTest, UnusableMachineOptionsAreErrors) {
  WriteHost(root_ / "bad.reg", "not a registry file\r\n");
  WriteHost(root_ / "rootvalue.reg", "REGEDIT4\r\n\r\n[HKEY_LOCAL_MACHINE]\r\n\"v\"=\"x\"\r\n");
  WriteHost(root_ / "namebreak.reg",
            "REGEDIT4\r\n\r\n[HKEY_CURRENT_USER\\Software\\x]\r\n\"a\\nb\"=\"x\"\r\n");
  struct Case {
    cli::Arguments arguments;
    std::string message;
  };
  const Case cases[] = {
      {{"--drive", "C=" + (root_ / "nowhere").string(), "scan"}, "does not exist"},
      {{"--drive", "C=" + root_.string(), "--drive", "c=" + root_.string(), "scan"}, "given twice"},
      {{"--drive", "C=" + root_.string() + ":floppy", "scan"}, "unknown drive type"},
      {{"--registry", (root_ / "missing.reg").string(), "scan"}, "cannot read"},
      {{"--registry", (root_ / "bad.reg").string(), "scan"}, "bad.reg:"},
      {{"--registry", "", "scan"}, "needs a file name"},
      {{"--registry", root_.string(), "scan"}, "is a folder"},
      // What loads must also be written back, or a fix would write a set
      // for a change it cannot save.
      {{"--registry", (root_ / "rootvalue.reg").string(), "scan"}, "root HKEY_LOCAL_MACHINE holds values"},
      {{"--registry", (root_ / "namebreak.reg").string(), "scan"}, "holds a line break"},
  };
  for (const Case& c : cases) {
    cli::Arguments arguments = c.arguments;
    arguments.insert(arguments.end(), {"--folder", (root_ / "prog").string()});
    const CliRun run = RunCli(arguments);
    EXPECT_EQ(run.status, 2) << c.message;
    EXPECT_NE(run.err.find(c.message), std::string::npos) << c.message << ": " << run.err;
  }
}

#endif

}  // namespace
}  // namespace vp::test
