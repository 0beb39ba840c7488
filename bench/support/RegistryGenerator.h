#pragma once

// Synthetic registries for the benchmarks: the kinds of keys a used Windows
// machine accumulates (vendor and program trees, uninstall entries,
// application paths, classes with their servers and application identities,
// type libraries, interfaces, file types with shell verbs, fonts, history
// lists), with values that name files of which a chosen share is missing,
// and the program folders those values point into. Everything is derived
// from the seed: the same options give the same bytes and the same files.

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

namespace vp::bench {

struct TGeneratorOptions {
  // Keys to write (the result lands within a few keys of it).
  int64_t keys = 100000;
  // Share of the values naming a file whose file does not exist.
  double missingShare = 0.1;
  uint64_t seed = 1;
  // The host folder that stands for drive C:; the program files are created
  // below it. Empty: no files are created (every reference is then missing).
  std::filesystem::path driveRoot;
};

struct TGeneratedRegistry {
  // A "REGEDIT4" import file, 8-bit, CR LF line ends.
  std::string regText;
  // An import file that removes again everything regText added.
  std::string removalText;
  int64_t keys = 0;
  int64_t values = 0;
  int64_t pathValues = 0;     // values whose data names a file
  int64_t missingValues = 0;  // of those, the ones naming a missing file
  int64_t files = 0;          // files created below the drive root
};

TGeneratedRegistry GenerateRegistry(const TGeneratorOptions& options);

// One key holding `count` values of mixed types (strings, expandable
// strings, multi-strings, DWORDs, binary), as a "REGEDIT4" import file.
// keyPath is a full path ("HKEY_CURRENT_USER\Software\...").
std::string GenerateLargeKey(const std::string& keyPath, int count, uint64_t seed);

// Registry strings as the scan meets them: paths to present and missing
// files, command lines with arguments and quotes, icon indexes, environment
// references, and plain texts that name no file. Missing ones make up
// missingShare of the strings that name a file. The files they name are
// created below driveRoot (which must be set).
std::vector<std::string> GenerateReferenceStrings(int64_t count, double missingShare, uint64_t seed,
                                                  const std::filesystem::path& driveRoot);

// Writes bytes to a host file, creating its folder; false on failure.
bool WriteHostFile(const std::filesystem::path& path, const std::string& bytes);

}  // namespace vp::bench
