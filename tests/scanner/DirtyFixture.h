#pragma once

// The dirty registry: .reg files and a drive folder in tests/data/scanner/areas
// that plant, for every scan area 6 to 16, findings beside near misses, and
// the table of what a scan must report of them. The simulation plants them on
// a fresh machine; under Wine they go into the real registry and drive_c and
// are taken out again afterwards.

#include <gtest/gtest.h>

#include <cstdint>
#include <set>
#include <string>
#include <vector>

#include "files/StringTools.h"
#include "registry/RegFile.h"
#include "scanner/SweeperTypes.h"
#include "support/PlantedEntries.h"

namespace vp::test {

// The .reg files both platforms plant, and the one with the cases only the
// simulation can make.
extern const std::vector<std::string> kDirtyRegFiles;
inline constexpr const char* kSimulationOnlyRegFile = "areas/simulation.reg";

// Files the fonts check must find in the Windows fonts folder.
extern const std::vector<std::string> kDirtyFontFiles;

// "key | entry | code" (and " | detail" for code 106), sorted, of the
// expected findings of the areas first..last (areas/expected-findings.txt).
std::vector<std::string> ExpectedRows(int32_t first, int32_t last);

// The same rows of what a scan reported: the findings themselves, without
// the whole-hive walk's file references, a whole key's listed contents or
// the HKEY_LOCAL_MACHINE mirrors of HKEY_CLASSES_ROOT findings.
std::vector<std::string> FindingRows(const std::vector<TNewItem>& items);

// Every item of one whole scan through the scan driver (areas 1 to 15, or 1
// to 16 when deep) with the test texts and the given ignore list.
std::vector<TNewItem> WholeScanItems(bool deep, const StringList& ignoreList);

// Program identifiers Vp.Orphan<from> to Vp.Orphan<to - 1>, each naming a
// class that is not registered: one COM finding each, added to the nine of
// the fixture to pass the limit of 100.
std::string OrphanProgIdsRegText(int from, int to);

// The ignore list a scan of the dirty registry runs with: the shipped
// default list, then the fixture's own entries (as a user's custom list).
StringList DirtyIgnoreList();

// The reviewed findings of a stock Wine prefix, one "scan<TAB>key<TAB>entry"
// line each, scan being "normal" or "deep".
std::set<std::string> StockPrefixFindings();

// Creates the drive folder of the fixture below root ("C:\...\") as empty
// files and folders.
::testing::AssertionResult PlantDirtyDrive(const std::string& root);

// Notes in planted everything the operations will change, before they are
// applied, so that the real registry is put back as it was. A deletion of a
// key cannot be undone and fails.
::testing::AssertionResult NoteOperations(PlantedEntries& planted,
                                          const std::vector<TRegFileOperation>& operations);

}  // namespace vp::test
