#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "core/Dispatcher.h"
#include "scanner/FindingTexts.h"
#include "scanner/Sweeper.h"
#include "support/RegistryTestSupport.h"
#include "support/ScratchFolder.h"
#include "support/SimHost.h"

namespace vp::test {

// Texts that name themselves, so items show which text the engine chose.
TCleanerLanguage TestLanguage();
inline constexpr const char* kWholeKey = "(whole key)";

// The texts a front end in the test language shows for an item.
struct ShownItem {
  std::string entry, data, date, problem, severity, detail;
};
ShownItem Show(const TNewItem& item);

// A place to scan: a scratch folder holding the files of
// tests/data/scanner/drive_c, and a scratch key under
// HKEY_CURRENT_USER\Software\VeltaroTest. Natively both live on a fresh
// simulated machine; under Wine on the real system, removed at the end.
class ScanFixture {
 public:
  ScanFixture();

  // The scratch folder, "C:\...\", with a trailing backslash.
  const std::string& Root() const { return folder_.Root(); }
  // The scratch key below HKEY_CURRENT_USER.
  const std::string& KeyPath() const { return key_.Path(); }
  bool Ok() const { return key_.Ok(); }
  platform::sim::SimMachine* Sim() const { return folder_.Sim(); }

  // Applies a .reg file of tests/data/scanner after replacing @KEY@ by the
  // scratch key, @ROOT@ by the scratch folder (in key names) and @ROOTDATA@
  // by the scratch folder escaped for a quoted string.
  ::testing::AssertionResult ApplyFixture(const std::string& name) const;
  ::testing::AssertionResult ApplyText(std::string text) const;

 private:
  ScratchFolder folder_;
  ScratchKey key_;
};

// A simulated machine on both platforms, for whole roots: C: is a fresh host
// folder, the fixture key lies at HKEY_CURRENT_USER\Software\VeltaroTest\Sim.
class SimScanFixture {
 public:
  SimScanFixture();
  ~SimScanFixture();
  SimScanFixture(const SimScanFixture&) = delete;
  SimScanFixture& operator=(const SimScanFixture&) = delete;

  const std::string& Root() const { return root_; }
  const std::string& KeyPath() const { return keyPath_; }
  platform::sim::SimMachine& Machine() { return host_.Machine(); }
  ::testing::AssertionResult ApplyFixture(const std::string& name) const;

 private:
  SimHost host_;
  std::string root_ = "C:\\VeltaroSim\\";
  std::string keyPath_ = "Software\\VeltaroTest\\Sim";
};

// .reg text of count keys K0, K1, ... below @KEY@<below>, each with a value
// "Path" naming a missing file gone<n>.dll in the scratch folder.
std::string MissingFileKeys(int count, const std::string& below = "");

// The text of a file of tests/data/scanner; empty when it cannot be read.
std::string ReadFixture(const std::string& name);

// .reg text with @KEY@, @ROOT@ and @ROOTDATA@ replaced (see
// ScanFixture::ApplyFixture), and that text applied.
std::string FillRegText(std::string text, const std::string& keyPath, const std::string& root);
::testing::AssertionResult ApplyRegText(std::string text, const std::string& keyPath,
                                        const std::string& root);

// What one scan thread delivered.
struct ScanRun {
  std::vector<TNewItem> items;
  int finished = 0;
  int totalsCalls = 0;
  int32_t totalValues = 0;
  int32_t totalKeys = 0;
  int64_t countedValues = 0;  // sum of the per-step OnCount calls
  int64_t countedKeys = 0;
  std::string currentUserHive;

  // Items whose key path ends with the text and whose value name equals name
  // (any name when null).
  int Count(const std::string& keyPathEnd, const char* name = nullptr) const;
};

// Runs one scan thread to its end on a queue dispatcher owned by the calling
// thread. onItem, when given, runs after the item was recorded.
ScanRun RunSweeper(const TScanOptions& options, const std::function<void(TSweeper&, TNewItem&)>& onItem = {},
                   const TCleanerLanguage& language = TestLanguage());

// Options of a walk of one key tree under HKEY_CURRENT_USER.
TScanOptions WalkOptions(const std::string& keyPath);

}  // namespace vp::test
