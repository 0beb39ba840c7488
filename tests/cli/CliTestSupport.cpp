#include "CliTestSupport.h"

#include <fstream>
#include <sstream>

#include "cli/CommandLine.h"
#include "support/TestSupport.h"

namespace vp::test {

CliRun RunCli(const cli::Arguments& arguments, const std::atomic<bool>* interrupted) {
  std::ostringstream out;
  std::ostringstream err;
  cli::CommandLineIO io{out, err, false, interrupted, {}, false};
  CliRun run;
  run.status = cli::RunCommandLine(arguments, io);
  run.out = out.str();
  run.err = err.str();
  return run;
}

std::vector<std::string> LinesWith(const std::string& text, const std::string& part) {
  std::vector<std::string> lines;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);)
    if (line.find(part) != std::string::npos) lines.push_back(line);
  return lines;
}

}  // namespace vp::test
