#include <gtest/gtest.h>

#include <atomic>
#include <filesystem>
#include <functional>
#include <sstream>

#include "CliTestSupport.h"
#include "backup/BackupTool.h"
#include "cli/BackupsCommand.h"
#include "cli/CacheCommand.h"
#include "files/FileTools.h"
#include "registry/FastRegistry.h"
#include "registry/RegExportText.h"
#include "settings/SettingsManager.h"
#include "support/RegistryTestSupport.h"
#include "support/ScratchFolder.h"
#include "support/TestSupport.h"

namespace vp::cli {
namespace {

using vp::test::UserKey;

struct Outcome {
  int status = -1;
  std::string out;
  std::string err;
};

template <typename Command>
Outcome RunWith(Command command, const TProgramFolders& folders, const Arguments& arguments,
                const std::atomic<bool>* interrupted = nullptr) {
  std::ostringstream out, err;
  const CommandContext context{folders, out, err, false, interrupted};
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
    ASSERT_TRUE(registry.OpenKey(key_.Path() + "\\Doomed\\Inner", true));
    ASSERT_EQ(registry.WriteString("Path", "C:\\gone\\app.exe"), platform::kErrorSuccess);
    ASSERT_EQ(registry.WriteInteger("Count", 7), platform::kErrorSuccess);
  }

  bool TreeExists() {
    TFastRegistry registry;
    if (!registry.OpenKeyReadOnly(key_.Path() + "\\Doomed\\Inner")) return false;
    return registry.ReadString("Path") == "C:\\gone\\app.exe" && registry.ReadInteger("Count") == 7;
  }

  // Backs the tree up into a new set and removes it; the set's ID.
  std::string BackUpAndRemove(const std::string& description) {
    PlantTree();
    TBackupTool tool;
    EXPECT_TRUE(tool.CreateBackup(folders_.BackupsFolder, description, 9, "1.2", "Veltaro Pro"));
    EXPECT_TRUE(tool.AddKey(UserKey(key_.Path() + "\\Doomed")));
    tool.RemoveKey(UserKey(key_.Path() + "\\Doomed"));
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
  EXPECT_NE(list.out.find(" | 9 | complete | before the fix"), std::string::npos) << list.out;

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

// The text of a set's registry file, edited and written back in its form.
void EditEntries(const std::string& path, const std::function<void(std::string&)>& edit) {
  const std::string bytes = ReadFileText(path);
  std::string text = EntriesFileText(bytes).value_or("");
  edit(text);
  ASSERT_TRUE(platform::Files().ReplaceWholeFile(path, EntriesFileBytes(text, bytes[0] == '\xFF', true)));
}

// A restore applies only what a backup writes, from a set nobody changed
// since it was finished; --force is the user's word for a changed set, never
// for a line no backup writes.
TEST_F(BackupsCommandTest, ForgedSetsAreRefused) {
  const std::string victimKey = key_.FullPath() + "\\Victim";
  const std::string victimFile = scratch_.Path("victim.txt");
  struct Case {
    const char* what;
    std::function<void(const std::string& set)> forge;
    const char* difference;  // stated without --force
    bool forceRestores;
  };
  const Case cases[] = {
      {"a key deletion",
       [&](const std::string& set) {
         EditEntries(set + "Entries.reg", [&](std::string& t) { t += "\r\n[-" + victimKey + "]\r\n"; });
       },
       "key deletion", false},
      {"a value deletion",
       [&](const std::string& set) {
         EditEntries(set + "Entries.reg",
                     [&](std::string& t) { t += "\r\n[" + victimKey + "]\r\n\"v\"=-\r\n"; });
       },
       "value deletion", false},
      {"a new service key",
       [&](const std::string& set) {
         EditEntries(set + "Entries.reg", [&](std::string& t) {
           t += "\r\n[" + key_.FullPath() + "\\Services\\X]\r\n\"ImagePath\"=\"C:\\\\evil.exe\"\r\n";
         });
       },
       "Entries.reg changed", true},
      {"altered data",
       [&](const std::string& set) {
         EditEntries(set + "Entries.reg",
                     [&](std::string& t) { t.replace(t.find("app.exe"), 7, "bad.exe"); });
       },
       "Entries.reg changed", true},
      {"a forged file list",
       [&](const std::string& set) {
         ASSERT_TRUE(platform::Files().WriteWholeFile(set + "evil.txt", "forged"));
         ASSERT_TRUE(platform::Files().WriteWholeFile(
             set + "Files.dat",
             "[Header]\r\nFiles=1\r\n[File1]\r\nOrigFile=" + victimFile + "\r\nBackupFile=evil.txt\r\n"));
       },
       "extra file evil.txt", true},
      {"a changed index",
       [&](const std::string& set) {
         std::string index = ReadFileText(set + "Index.dat");
         index.replace(index.find("Text="), 5, "Text=forged ");
         ASSERT_TRUE(platform::Files().WriteWholeFile(set + "Index.dat", index));
       },
       "Index.dat changed", true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    scratch_.PutFile("victim.txt", "untouched");
    {
      TFastRegistry registry;
      ASSERT_TRUE(registry.OpenKey(key_.Path() + "\\Victim", true));
      ASSERT_EQ(registry.WriteString("v", "kept"), platform::kErrorSuccess);
    }
    const std::string id = BackUpAndRemove(c.what);
    c.forge(folders_.BackupsFolder + id + "\\");
    const Outcome refused = Backups({"restore", id});
    EXPECT_EQ(refused.status, kExitError);
    EXPECT_NE(refused.out.find("refused"), std::string::npos) << refused.out;
    EXPECT_NE(refused.out.find(c.difference), std::string::npos) << refused.out;
    EXPECT_FALSE(TreeExists());
    EXPECT_EQ(test::SnapshotTree(platform::kHkeyCurrentUser, key_.Path() + "\\Victim"),
              (test::TreeSnapshot{{"", {{"v", {platform::kRegSz, std::string("kept", 5)}}}}}));
    EXPECT_EQ(ReadFileText(victimFile), "untouched");
    const Outcome forced = Backups({"restore", "--force", id});
    EXPECT_EQ(forced.status, c.forceRestores ? kExitOk : kExitError) << forced.out;
    EXPECT_NE(forced.out.find(c.difference), std::string::npos) << forced.out;
  }
}

// A set cut short says so: one its action stopped early is finished as
// interrupted and restores; one whose writer was killed (no closing record)
// is unfinished and restores only by the user's word; a set folder killed
// before its index lists and can be removed.
TEST_F(BackupsCommandTest, InterruptedAndUnfinishedSets) {
  PlantTree();
  std::string interrupted;
  {
    TBackupTool tool;
    ASSERT_TRUE(tool.CreateBackup(folders_.BackupsFolder, "stopped", 9, "1.2", "Veltaro Pro"));
    ASSERT_TRUE(tool.AddKey(UserKey(key_.Path() + "\\Doomed")));
    tool.RemoveKey(UserKey(key_.Path() + "\\Doomed"));
    ASSERT_TRUE(tool.Finish(true));
    EXPECT_FALSE(tool.AddString("after the end"));
    interrupted = tool.SetFolder();
  }
  const std::string killed = BackUpAndRemove("killed");
  std::string index = ReadFileText(folders_.BackupsFolder + killed + "\\Index.dat");
  ASSERT_NE(index.find("[Finished]"), std::string::npos);
  index.resize(index.find("[Finished]"));  // what a kill before the end leaves
  ASSERT_TRUE(platform::Files().WriteWholeFile(folders_.BackupsFolder + killed + "\\Index.dat", index));
  scratch_.PutFile("Backups\\00ABCD\\Entries.reg", "");

  const Outcome list = Backups({"list"});
  EXPECT_EQ(list.status, kExitOk);
  interrupted.pop_back();
  const std::string stoppedId = interrupted.substr(interrupted.rfind('\\') + 1);
  EXPECT_EQ(test::LinesWith(list.out, stoppedId + " |").size(), 1u);
  EXPECT_NE(list.out.find(" | 9 | interrupted | stopped"), std::string::npos) << list.out;
  EXPECT_NE(list.out.find(" | 9 | interrupted, never finished | killed"), std::string::npos) << list.out;
  EXPECT_NE(list.out.find("00ABCD |  | -1 | interrupted, no index"), std::string::npos) << list.out;
  EXPECT_NE(Backups({"show", stoppedId}).out.find("State: interrupted"), std::string::npos);

  const Outcome refused = Backups({"restore", killed});
  EXPECT_EQ(refused.status, kExitError);
  EXPECT_NE(refused.out.find("never finished"), std::string::npos) << refused.out;
  EXPECT_FALSE(TreeExists());
  EXPECT_EQ(Backups({"restore", "--force", killed}).status, kExitOk);
  EXPECT_TRUE(TreeExists());
  ASSERT_TRUE(TBackupTool().RemoveKey(UserKey(key_.Path() + "\\Doomed")));
  const Outcome restore = Backups({"restore", stoppedId});
  EXPECT_EQ(restore.status, kExitOk) << restore.out;
  EXPECT_NE(restore.out.find("interrupted"), std::string::npos) << restore.out;
  EXPECT_TRUE(TreeExists());

  EXPECT_EQ(Backups({"remove", "00ABCD"}).status, kExitOk);
  EXPECT_FALSE(FolderExistsChecked(folders_.BackupsFolder + "00ABCD"));
}

// Removal takes a link as the link it is: what it leads to lies outside the
// backups folder and stays, whether the link is the set folder or in it.
TEST_F(BackupsCommandTest, RemoveNeverFollowsLinks) {
  namespace fs = std::filesystem;
  const std::string inside = BackUpAndRemove("holds a link");
  scratch_.PutFile("Outside\\Index.dat", "[Header]\r\nText=outside\r\n");
  scratch_.PutFile("Outside\\keep.txt", "keep");
  std::error_code ec;
  fs::create_directory_symlink(scratch_.Host("Outside"), scratch_.Host("Backups/00BEEF"), ec);
  if (!ec)
    fs::create_directory_symlink(scratch_.Host("Outside"), scratch_.Host("Backups/" + inside + "/link"), ec);
  if (!ec)
    fs::create_symlink(scratch_.Host("Outside/keep.txt"), scratch_.Host("Backups/" + inside + "/file"), ec);
  if (ec) GTEST_SKIP() << "no symbolic links here: " << ec.message();

  const Outcome remove = Backups({"remove", inside, "00BEEF"});
  EXPECT_EQ(remove.status, kExitOk) << remove.out << remove.err;
  EXPECT_FALSE(fs::exists(fs::symlink_status(scratch_.Host("Backups/00BEEF"))));
  EXPECT_FALSE(fs::exists(fs::symlink_status(scratch_.Host("Backups/" + inside))));
  EXPECT_EQ(ReadFileText(scratch_.Path("Outside\\keep.txt")), "keep");
  EXPECT_TRUE(FileExistsChecked(scratch_.Path("Outside\\Index.dat")));
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
    const std::atomic<bool> interrupted{true};
    const Outcome stopped = RunWith(RunCacheCommand, folders, {"build"}, &interrupted);
    EXPECT_EQ(stopped.status, kExitError);
    EXPECT_NE(stopped.err.find("interrupted; nothing was saved"), std::string::npos) << stopped.err;
    EXPECT_NE(RunWith(RunCacheCommand, folders, {"info"}).out.find("No file cache"), std::string::npos);
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
