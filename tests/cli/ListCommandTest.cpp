#include <gtest/gtest.h>

#include <sstream>

#include "cli/ListCommand.h"
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

Outcome List(const test::ScratchFolder& scratch, const Arguments& arguments) {
  std::ostringstream out, err;
  const CommandContext context{MakeProgramFolders(scratch.Root()), out, err, false};
  Outcome run;
  run.status = RunListCommand(context, arguments);
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
    const Outcome run = List(scratch, c.arguments);
    EXPECT_EQ(run.status, kExitOk) << run.err;
    EXPECT_EQ(Planted(run.out), c.planted);
  }
  for (const Arguments& wrong : {Arguments{}, Arguments{"9"}, Arguments{"cleaner"}, Arguments{"2", "3"}}) {
    const Outcome run = List(scratch, wrong);
    EXPECT_EQ(run.status, kExitError);
    EXPECT_TRUE(run.out.empty());
    EXPECT_FALSE(run.err.empty());
  }
}

}  // namespace
}  // namespace vp::cli
