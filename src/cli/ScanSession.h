#pragma once

// One registry scan as the command-line commands run it: the language's
// texts, the merged ignore list, progress on standard error, Ctrl+C, and the
// findings sorted as the end of a scan sorts them.

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "cli/CommandContext.h"
#include "scanner/SweeperTypes.h"

namespace vp::cli {

// The texts a command needs from the language file.
struct ScanTexts {
  TCleanerLanguage language;
  std::string tabCaption;  // the cleaner tab's caption (the default set description)
  std::string languageFile;
};

// The texts from the language file the program would choose at start.
// Empty, with a message on err, when no language file can be read.
std::optional<ScanTexts> LoadScanTexts(const CommandContext& context);

struct ScanChoice {
  bool deep = false;
  std::vector<int32_t> areas;  // empty: every area of the scan kind
  bool showIgnored = false;
};

struct ScanResult {
  std::vector<TNewItem> items;  // sorted
  bool cancelled = false;
  int64_t keys = 0;
  int64_t values = 0;
  uint32_t seconds = 0;
};

// Runs the scan to its end (or until the user interrupts it). Empty, with a
// message on err, when the data folder or its ignore lists cannot be read.
std::optional<ScanResult> RunScan(const CommandContext& context, const ScanChoice& choice,
                                  const ScanTexts& texts);

// The order of the list at the end of a scan: by key path in lower case,
// then by entry and problem as the language shows them, so that equal keys
// come out the same every run.
void SortFindings(std::vector<TNewItem>& items, const TCleanerLanguage& texts);

// Parses "--deep", "--area N" (1 to 16, repeatable) and "--show-ignored" at
// arguments[i], advancing i past a value. True when the argument was one of
// them; a bad area number sets error.
bool ParseScanOption(const Arguments& arguments, size_t& i, ScanChoice& choice, std::string& error);

}  // namespace vp::cli
