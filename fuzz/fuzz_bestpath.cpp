// The standalone text routines on arbitrary text: BestPathIn gives the text
// itself, a strictly valid path among the text's candidates, or nothing; the
// mask list matcher never fails on a malformed list.
#include <algorithm>
#include <cstdlib>
#include <string>

#include "files/FileTools.h"
#include "files/Masks.h"
#include "files/PathText.h"
#include "platform/Platform.h"
#include "platform/sim/SimMachine.h"

namespace {

void Check(bool condition) {
  if (!condition) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  static vp::platform::sim::SimMachine machine;
  vp::platform::Install(machine.Services());
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string text(reinterpret_cast<const char*>(data), size);

  const std::string best = vp::BestPathIn(text);
  if (!best.empty() && best != text) {
    Check(vp::IsValidPathSyntax(best, true));
    const vp::StringList candidates = vp::ExtractPathCandidates(text);
    Check(std::find(candidates.begin(), candidates.end(), best) != candidates.end());
  }
  (void)vp::PathScore(text);

  // The first line is a mask list, the rest a file name.
  const size_t newline = text.find('\n');
  const std::string masks = text.substr(0, newline);
  const std::string name = newline == std::string::npos ? std::string() : text.substr(newline + 1);
  std::string error;
  const bool matches = vp::MatchesMaskList(name, masks, {"excluded"}, &error);
  if (!error.empty()) Check(!matches && error.find("is an invalid mask at") != std::string::npos);
  (void)vp::MaskError(masks);
  return 0;
}
