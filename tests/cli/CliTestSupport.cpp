#include "CliTestSupport.h"

#include <algorithm>
#include <fstream>
#include <sstream>

#include "cli/CommandLine.h"
#include "registry/FastRegistry.h"
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

namespace {

std::string Hex(const std::string& data) {
  static const char digits[] = "0123456789abcdef";
  std::string hex;
  for (unsigned char c : data) {
    hex += digits[c >> 4];
    hex += digits[c & 15];
  }
  return hex;
}

void DumpKey(platform::RegHandle root, const std::string& path, std::vector<std::string>& lines) {
  TFastRegistry key;
  key.SetRootKey(root);
  if (!key.OpenKeyReadOnly(path)) {
    lines.push_back(path + " (cannot open)");
    return;
  }
  lines.push_back(path);
  std::vector<std::string> values;
  std::vector<std::string> subKeys;
  key.GetValueNames(values);
  key.GetKeyNames(subKeys);
  for (const std::string& name : values) {
    uint32_t type = 0;
    std::string data;
    key.ReadRawData(name, type, data);
    lines.push_back(path + " | " + name + " | " + std::to_string(type) + " | " + Hex(data));
  }
  key.CloseKey();
  for (const std::string& name : subKeys) DumpKey(root, path + "\\" + name, lines);
}

}  // namespace

std::vector<std::string> DumpTree(platform::RegHandle root, const std::string& path) {
  std::vector<std::string> lines;
  DumpKey(root, path, lines);
  std::sort(lines.begin(), lines.end());
  return lines;
}

std::vector<std::string> LinesWith(const std::string& text, const std::string& part) {
  std::vector<std::string> lines;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);)
    if (line.find(part) != std::string::npos) lines.push_back(line);
  return lines;
}

}  // namespace vp::test
