#include <gtest/gtest.h>

#include <sstream>

#include "backup/BackupTool.h"
#include "cli/BackupsCommand.h"
#include "cli/CacheCommand.h"
#include "files/FileTools.h"
#include "registry/FastRegistry.h"
#include "settings/SettingsManager.h"
#include "support/RegistryTestSupport.h"
#include "support/ScratchFolder.h"
#include "support/TestSupport.h"

namespace vp::cli {
namespace {

struct Outcome {
  int status = -1;
  std::string out;
  std::string err;
};

template <typename Command>
Outcome RunWith(Command command, const TProgramFolders& folders, const Arguments& arguments) {
  std::ostringstream out, err;
  const CommandContext context{folders, out, err, false};
  Outcome run;
  run.status = command(context, arguments);
  run.out = out.str();
  run.err = err.str();
  return run;
}

// A program folder in a scratch folder, and a scratch key holding a small
// tree "Doomed" that each set backs up and then removes.
class BackupsCommandTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(key_.Ok());
    ASSERT_TRUE(ForceFolders(folders_.BackupsFolder));
  }

  void PlantTree() {
    TFastRegistry registry;
    registry.SetRootKey(platform::kHkeyCurrentUser);
    ASSERT_TRUE(registry.OpenKey(key_.Path() + "\\Doomed\\Inner", true));
    ASSERT_EQ(registry.WriteString("Path", "C:\\gone\\app.exe"), platform::kErrorSuccess);
    ASSERT_EQ(registry.WriteInteger("Count", 7), platform::kErrorSuccess);
  }

  bool TreeExists() {
    TFastRegistry registry;
    registry.SetRootKey(platform::kHkeyCurrentUser);
    if (!registry.OpenKeyReadOnly(key_.Path() + "\\Doomed\\Inner")) return false;
    return registry.ReadString("Path") == "C:\\gone\\app.exe" && registry.ReadInteger("Count") == 7;
  }

  // Backs the tree up into a new set and removes it; the set's ID.
  std::string BackUpAndRemove(const std::string& description) {
    PlantTree();
    TBackupTool tool;
    EXPECT_TRUE(tool.CreateBackup(folders_.BackupsFolder, description, 9, "1.2", "Veltaro Pro"));
    EXPECT_TRUE(tool.AddKey("HKEY_CURRENT_USER", key_.Path() + "\\Doomed"));
    tool.RemoveKey("HKEY_CURRENT_USER", key_.Path() + "\\Doomed");
    EXPECT_FALSE(TreeExists());
    std::string folder = tool.SetFolder();
    folder.pop_back();
    return folder.substr(folder.find_last_of('\\') + 1);
  }

  Outcome Backups(const Arguments& arguments) { return RunWith(RunBackupsCommand, folders_, arguments); }

  test::ScratchFolder scratch_;
  test::ScratchKey key_;
  TProgramFolders folders_ = MakeProgramFolders(scratch_.Root());
};

TEST_F(BackupsCommandTest, ListShowRestoreRemove) {
  const std::string id = BackUpAndRemove("before the fix");

  const Outcome list = Backups({"list"});
  EXPECT_EQ(list.status, kExitOk) << list.err;
  EXPECT_NE(list.out.find(id + " | "), std::string::npos) << list.out;
  EXPECT_NE(list.out.find(" | 9 | before the fix"), std::string::npos) << list.out;

  const Outcome show = Backups({"show", id});
  EXPECT_EQ(show.status, kExitOk) << show.err;
  EXPECT_NE(show.out.find("Description: before the fix"), std::string::npos) << show.out;
  EXPECT_NE(show.out.find("\\Doomed\\Inner | Path (type 1)"), std::string::npos) << show.out;

  const Outcome restore = Backups({"restore", id});
  EXPECT_EQ(restore.status, kExitOk) << restore.out << restore.err;
  EXPECT_TRUE(TreeExists());

  const Outcome remove = Backups({"remove", id});
  EXPECT_EQ(remove.status, kExitOk) << remove.err;
  EXPECT_FALSE(FolderExistsChecked(folders_.BackupsFolder + id));
  EXPECT_EQ(Backups({"list"}).out, "");
}

// Arguments that name no set, or reach outside the backups folder, are
// refused before anything happens: the good set named beside them stays.
TEST_F(BackupsCommandTest, UnknownOrUnsafeIdsChangeNothing) {
  const std::string id = BackUpAndRemove("kept");
  scratch_.PutFile("Outside\\Index.dat", "[Header]\r\nText=outside\r\n");
  const std::vector<Arguments> refused = {
      {"remove", id, "FFFFFF"},
      {"remove", id, "..\\Outside"},
      {"remove", id, ".."},
      {"restore", "C:\\"},
      {"show"},
      {"show", id, id},
      {"remove"},
      {"frobnicate"},
      {"list", "extra"},
      {},
  };
  for (const Arguments& arguments : refused) {
    const Outcome run = Backups(arguments);
    EXPECT_EQ(run.status, kExitError) << testing::PrintToString(arguments);
    EXPECT_FALSE(run.err.empty()) << testing::PrintToString(arguments);
  }
  EXPECT_TRUE(FolderExistsChecked(folders_.BackupsFolder + id));
  EXPECT_TRUE(FileExistsChecked(scratch_.Path("Outside\\Index.dat")));
  EXPECT_FALSE(TreeExists());
}

// A set whose registry file does not read whole is shown with its damage and
// refused by restore, which then changes nothing.
TEST_F(BackupsCommandTest, DamagedSetIsRefused) {
  const std::string id = BackUpAndRemove("damaged");
  const std::string entries = folders_.BackupsFolder + id + "\\Entries.reg";
  std::string text = ReadFileText(entries);
  ASSERT_FALSE(text.empty());
  text += "\r\n[HKEY_CURRENT_USER\\Software\\VeltaroTest\\x]\r\n\"broken\"=hex(zz):01\r\n";
  ASSERT_TRUE(platform::Files().ReplaceWholeFile(entries, text));

  const Outcome show = Backups({"show", id});
  EXPECT_EQ(show.status, kExitError);
  EXPECT_NE(show.err.find("damaged"), std::string::npos) << show.err;
  const Outcome restore = Backups({"restore", id});
  EXPECT_EQ(restore.status, kExitError);
  EXPECT_NE(restore.out.find("refused"), std::string::npos) << restore.out;
  EXPECT_FALSE(TreeExists());
}

TEST(CacheCommandTest, InfoAndBuild) {
  test::ScratchFolder scratch;
  const TProgramFolders folders = MakeProgramFolders(scratch.Root());
  EXPECT_EQ(RunWith(RunCacheCommand, folders, {"info"}).status, kExitError) << "no data folder";
  ASSERT_TRUE(ForceFolders(folders.DataFolder));

  const Outcome none = RunWith(RunCacheCommand, folders, {"info"});
  EXPECT_EQ(none.status, kExitOk);
  EXPECT_NE(none.out.find("No file cache"), std::string::npos) << none.out;

  // Under Wine the fixed drives are the whole prefix and the host's root, a
  // walk of minutes: there every drive is excluded, which must still be
  // reported as an error. Natively C: is the scratch machine's drive.
  {
    TSettingsManager settings(folders.DataFolder);
    settings.WriteString("Settings", "DontCacheDrives", "0",
                         test::kOnRealWindows ? "abcdefghijklmnopqrstuvwxyz" : "abdefghijklmnopqrstuvwxyz");
    if (auto* sim = scratch.Sim()) sim->Files().SetSpace('c', 2'000'000'000, 1'000'000'000);
  }
  if (test::kOnRealWindows) {
    const Outcome build = RunWith(RunCacheCommand, folders, {"build"});
    EXPECT_EQ(build.status, kExitError);
    EXPECT_NE(build.err.find("no fixed drive qualifies"), std::string::npos) << build.err;
  } else {
    ASSERT_TRUE(platform::Files().MakeFolder("C:\\vpplanted"));
    ASSERT_TRUE(platform::Files().WriteWholeFile("C:\\vpplanted\\planted.dll", "x"));
    const Outcome build = RunWith(RunCacheCommand, folders, {"build"});
    ASSERT_EQ(build.status, kExitOk) << build.err;
    EXPECT_NE(build.out.find("Drives: c\n"), std::string::npos) << build.out;
    EXPECT_NE(build.err.find("Files recorded: "), std::string::npos) << build.err;

    const Outcome info = RunWith(RunCacheCommand, folders, {"info"});
    EXPECT_EQ(info.status, kExitOk) << info.err;
    EXPECT_NE(info.out.find("Age: 0 days"), std::string::npos) << info.out;
    EXPECT_EQ(info.out.find("Files: 0\n"), std::string::npos) << info.out;
  }

  for (const Arguments& bad : std::vector<Arguments>{{}, {"rebuild"}, {"info", "x"}})
    EXPECT_EQ(RunWith(RunCacheCommand, folders, bad).status, kExitError) << testing::PrintToString(bad);
}

}  // namespace
}  // namespace vp::cli
