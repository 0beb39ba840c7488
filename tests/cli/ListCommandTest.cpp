#include <gtest/gtest.h>

#include <filesystem>
#include <sstream>

#include "cli/ListCommand.h"
#include "cli/RemoveCommand.h"
#include "platform/FileSystem.h"
#include "platform/Platform.h"
#include "settings/ProgramFolders.h"
#include "support/PlantedEntries.h"
#include "support/ScratchFolder.h"

namespace vp::cli {
namespace {

const std::string kUninstall = "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall";
const std::string kUninstall32 = "Software\\Wow6432Node\\Microsoft\\Windows\\CurrentVersion\\Uninstall";

struct Outcome {
  int status = -1;
  std::string out;
  std::string err;
};

using Command = int (*)(const CommandContext&, const Arguments&);

Outcome RunCommand(Command command, const test::ScratchFolder& scratch, const Arguments& arguments) {
  std::ostringstream out, err;
  const CommandContext context{MakeProgramFolders(scratch.Root()), out, err, false};
  Outcome run;
  run.status = command(context, arguments);
  run.out = out.str();
  run.err = err.str();
  return run;
}

// The output lines that name the planted entries.
std::string Planted(const std::string& text) {
  std::istringstream in(text);
  std::string line, kept;
  while (std::getline(in, line))
    if (line.find("Vpt") != std::string::npos) kept += line + "\n";
  return kept;
}

TEST(ListCommand, RowsAsTextAndJson) {
  test::ScratchFolder scratch;
  test::PlantedEntries planted;
  planted.Value(platform::kHkeyLocalMachine, kUninstall + "\\VptA", "DisplayName", "Vpt \"Quoted\" Tool");
  planted.Value(platform::kHkeyClassesRoot, ".vptlist", "", "vpt list file");
  planted.Value(platform::kHkeyLocalMachine, kUninstall32 + "\\VptB", "DisplayName", "Vpt Old");
  const struct {
    Arguments arguments;
    std::string planted;
  } cases[] = {
      {{"uninstall"}, "Vpt \"Quoted\" Tool\nVpt Old | (32-bit)\n"},
      {{"2", "--json"},
       "{\"caption\":\"Vpt \\\"Quoted\\\" Tool\",\"columns\":[],\"view\":64}\n"
       "{\"caption\":\"Vpt Old\",\"columns\":[],\"view\":32}\n"},
      {{"FileTypes"}, ".vptlist | Vpt List File\n"},
      {{"--json", "3"}, "{\"caption\":\".vptlist\",\"columns\":[\"Vpt List File\"],\"view\":64}\n"},
  };
  for (const auto& c : cases) {
    const Outcome run = RunCommand(RunListCommand, scratch, c.arguments);
    EXPECT_EQ(run.status, kExitOk) << run.err;
    EXPECT_EQ(Planted(run.out), c.planted);
  }
  for (const Arguments& wrong : {Arguments{}, Arguments{"9"}, Arguments{"cleaner"}, Arguments{"2", "3"}}) {
    const Outcome run = RunCommand(RunListCommand, scratch, wrong);
    EXPECT_EQ(run.status, kExitError);
    EXPECT_TRUE(run.out.empty());
    EXPECT_FALSE(run.err.empty());
  }
}

bool KeyPresent(platform::RegHandle root, const std::string& path) {
  platform::RegHandle key = platform::kNoKey;
  if (platform::Reg().OpenKey(root, path, platform::kKeyRead, key) != platform::kErrorSuccess) return false;
  platform::Reg().CloseKey(key);
  return true;
}

// The rows a selection names go, each after its backup; the others stay.
TEST(RemoveCommand, SelectedRowsBackedUpAndRemoved) {
  test::ScratchFolder scratch;
  test::PlantedEntries planted;
  planted.Value(platform::kHkeyLocalMachine, kUninstall + "\\VptA", "DisplayName", "Vpt Alpha");
  planted.Value(platform::kHkeyLocalMachine, kUninstall32 + "\\VptB", "DisplayName", "Vpt Alpha");
  planted.Value(platform::kHkeyClassesRoot, ".vptrm", "", "vpt file");
  scratch.PutFile("select.txt", "# chosen\r\nvpt alpha | (32-bit)\r\n\r\nVpt Nothing\r\n");
  const std::string select = scratch.Host("select.txt").string();

  const Outcome dry = RunCommand(RunRemoveCommand, scratch, {"filetypes", "--all", "--dry-run"});
  EXPECT_EQ(dry.status, kExitOk) << dry.err;
  EXPECT_EQ(Planted(dry.out), "would remove: .vptrm | Vpt File\n");
  EXPECT_TRUE(KeyPresent(platform::kHkeyClassesRoot, ".vptrm"));

  // No backups folder can be made: nothing changes, and the run fails.
  scratch.PutFile("Backups", "a file where the folder belongs");
  const Outcome blocked = RunCommand(RunRemoveCommand, scratch, {"2", "--all"});
  EXPECT_EQ(blocked.status, kExitError);
  EXPECT_TRUE(KeyPresent(platform::kHkeyLocalMachine, kUninstall32 + "\\VptB"));
  std::filesystem::remove(scratch.Host("Backups"));

  const Outcome run =
      RunCommand(RunRemoveCommand, scratch, {"uninstall", "--select", select, "--description", "test"});
  EXPECT_EQ(run.status, kExitOk) << run.err;
  EXPECT_EQ(Planted(run.out), "skipped (not in the list): Vpt Nothing\nremoved: Vpt Alpha | (32-bit)\n");
  EXPECT_NE(run.out.find("Removed: 1, failed: 0\nBackup set: "), std::string::npos) << run.out;
  EXPECT_FALSE(KeyPresent(platform::kHkeyLocalMachine, kUninstall32 + "\\VptB"));
  EXPECT_TRUE(KeyPresent(platform::kHkeyLocalMachine, kUninstall + "\\VptA"));

  for (const Arguments& wrong : {Arguments{"2"}, Arguments{"--all"}, Arguments{"9", "--all"},
                                 Arguments{"2", "--all", "--select", select}, Arguments{"2", "--select"},
                                 Arguments{"2", "--select", scratch.Host("missing.txt").string()}}) {
    const Outcome failed = RunCommand(RunRemoveCommand, scratch, wrong);
    EXPECT_EQ(failed.status, kExitError);
    EXPECT_FALSE(failed.err.empty());
  }
}

}  // namespace
}  // namespace vp::cli
