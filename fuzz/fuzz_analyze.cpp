// The file reference analysis on arbitrary registry data, against a small
// simulated machine: a fixed C: with a few files, a fixed W: and an optical
// D:. The verdict must be well formed, and data the analysis must skip may
// not touch the file system.
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "platform/Platform.h"
#include "platform/sim/SimMachine.h"
#include "scanner/FileReferences.h"

namespace {

namespace fs = std::filesystem;

vp::platform::sim::SimMachine* gMachine = nullptr;
const vp::StringList kIgnore = {"ignored app", "temp\\"};

void Check(bool condition) {
  if (!condition) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  static vp::platform::sim::SimMachine machine;
  gMachine = &machine;
  const fs::path host = fs::temp_directory_path() / "vp-fuzz-analyze";
  for (const char* folder : {"c/Windows/system32", "c/Program Files/App", "d/Setup", "w"})
    fs::create_directories(host / folder);
  for (const char* file : {"c/Windows/notepad.exe", "c/Windows/system32/shell32.dll",
                           "c/Program Files/App/app.exe", "d/Setup/setup.exe"})
    std::ofstream(host / file) << "x";
  machine.Files().MapDrive('C', host / "c", vp::platform::DriveType::Fixed);
  machine.Files().MapDrive('D', host / "d", vp::platform::DriveType::CdRom);
  machine.Files().MapDrive('W', host / "w", vp::platform::DriveType::Fixed);
  vp::platform::Install(machine.Services());
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string text(reinterpret_cast<const char*>(data), size);
  vp::TScanContext context;
  context.NonFixedDrives = "abdefghijklmnopqrstuvxyz";
  context.IgnoreList = &kIgnore;

  vp::TAnalyzerResult result;
  gMachine->Files().ResetCallCount();
  vp::Analyze(text, result, context);

  Check(result.Kind == vp::kReferenceMissing || result.Kind == vp::kReferenceExcused ||
        result.Kind == vp::kReferenceNoReport);
  if (result.Kind == vp::kReferenceMissing) Check(!result.Detail.empty());
  if (result.Kind == vp::kReferenceExcused) Check(!result.Match.empty());
  const bool skipped = text.size() < 3 || text.size() > 1000 ||
                       (text.find(":\\") == std::string::npos && text.find('%') == std::string::npos);
  if (skipped) Check(result.Kind == vp::kReferenceNoReport && gMachine->Files().CallCount() == 0);
  return 0;
}
