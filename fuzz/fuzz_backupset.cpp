// Reads a backup set made of fuzzed files: the input holds "Index.dat",
// "Files.dat", "Strings.dat" and "Entries.reg" in that order, separated by
// lines of five '#'. Each run gets a fresh simulated machine whose drive C:
// is an empty host folder, lists the set, restores it and deletes it.
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include "backup/BackupSets.h"
#include "platform/FileSystem.h"
#include "platform/Platform.h"
#include "platform/sim/SimMachine.h"
#include "registry/RegExportText.h"

namespace {

std::vector<std::string> SplitParts(std::string_view input) {
  static constexpr std::string_view kSeparator = "\n#####\n";
  std::vector<std::string> parts;
  while (parts.size() < 3) {
    const size_t at = input.find(kSeparator);
    if (at == std::string_view::npos) break;
    parts.emplace_back(input.substr(0, at));
    input.remove_prefix(at + kSeparator.size());
  }
  parts.emplace_back(input);
  parts.resize(4);
  return parts;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view input(reinterpret_cast<const char*>(data), size);
  const auto parts = SplitParts(input);
  vp::EntriesFileText(parts[3]);

  static const std::filesystem::path host =
      std::filesystem::temp_directory_path() / ("vp-fuzz-backupset-" + std::to_string(::getpid()));
  std::error_code ignored;
  std::filesystem::remove_all(host, ignored);
  std::filesystem::create_directories(host / "Backups" / "00ABCD");

  vp::platform::sim::SimMachine machine;
  machine.Files().MapDrive('C', host, vp::platform::DriveType::Fixed);
  vp::platform::Install(machine.Services());
  const std::string set = "C:\\Backups\\00ABCD\\";
  const char* names[] = {"Index.dat", "Files.dat", "Strings.dat", "Entries.reg"};
  for (int i = 0; i < 4; ++i) vp::platform::Files().WriteWholeFile(set + names[i], parts[i]);
  vp::platform::Files().WriteWholeFile(set + "copy.bin", "saved bytes");

  vp::ListBackupSets("C:\\Backups\\", "(none)");
  // Forced: a fuzzed set is never finished, and the restore past the checks
  // is what must hold up.
  vp::RestoreBackupSet(set, true);
  vp::DeleteBackupSet(set);

  vp::platform::Install({});
  std::filesystem::remove_all(host, ignored);
  return 0;
}
