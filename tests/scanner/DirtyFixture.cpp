#include "DirtyFixture.h"

#include <algorithm>
#include <filesystem>
#include <sstream>

#include "ScanFixture.h"
#include "core/Dispatcher.h"
#include "files/FileTools.h"
#include "registry/KeyAddress.h"
#include "scanner/ScanDriver.h"
#include "settings/IgnoreList.h"
#include "support/TestSupport.h"

namespace vp::test {

const std::vector<std::string> kDirtyRegFiles = {"areas/software.reg", "areas/filetypes.reg",
                                                 "areas/menus.reg", "areas/com.reg"};
const std::vector<std::string> kDirtyFontFiles = {"vpdirty-present.ttf", "vpdirty-short.ttf",
                                                  "vpdirty-bitmap.fon"};

namespace {

std::string Row(const std::string& fullPath, const std::string& valueName, int32_t code,
                const std::string& detail) {
  std::string row = fullPath + " | " + valueName + " | " + std::to_string(code);
  if (code == kProblemComRegistration) row += " | " + detail;
  return row;
}

// The lines of a data file of tests/data/scanner that are neither empty nor
// "//" comments, each split at its tabs.
std::vector<std::vector<std::string>> DataRows(const std::string& name) {
  std::vector<std::vector<std::string>> rows;
  std::istringstream text(ReadFixture(name));
  for (std::string line; std::getline(text, line);) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (line.empty() || line.rfind("//", 0) == 0) continue;
    std::vector<std::string>& fields = rows.emplace_back();
    for (size_t start = 0;;) {
      const size_t tab = line.find('\t', start);
      fields.push_back(line.substr(start, tab - start));
      if (tab == std::string::npos) break;
      start = tab + 1;
    }
  }
  return rows;
}

// Codes whose findings are single values; all other areas report whole keys.
bool IsValueFinding(int32_t code) {
  return code == kProblemFont || code == kProblemHelpFile || code == kProblemHistoryList;
}

}  // namespace

std::vector<std::string> ExpectedRows(int32_t first, int32_t last) {
  std::vector<std::string> rows;
  for (const auto& fields : DataRows("areas/expected-findings.txt")) {
    EXPECT_GE(fields.size(), 4u) << fields.front();
    if (fields.size() < 4) continue;
    const int32_t area = std::stoi(fields[0]);
    if (area >= first && area <= last)
      rows.push_back(Row(fields[1], fields[2], std::stoi(fields[3]), fields.size() > 4 ? fields[4] : ""));
  }
  EXPECT_FALSE(rows.empty()) << "no expected findings for areas " << first << " to " << last;
  std::sort(rows.begin(), rows.end());
  return rows;
}

std::vector<std::string> FindingRows(const std::vector<TNewItem>& items) {
  std::vector<std::string> rows;
  for (const TNewItem& item : items) {
    if (item.ProblemCode == kProblemFileReference) continue;
    if (!IsValueFinding(item.ProblemCode) && Show(item).entry != kWholeKey) continue;
    if (item.FullPath.rfind("HKEY_LOCAL_MACHINE\\Software\\classes\\", 0) == 0) continue;
    rows.push_back(Row(item.FullPath, Show(item).entry, item.ProblemCode, Show(item).detail));
  }
  std::sort(rows.begin(), rows.end());
  return rows;
}

std::string OrphanProgIdsRegText(int from, int to) {
  std::string text = "REGEDIT4\r\n\r\n";
  for (int i = from; i < to; ++i)
    text += "[HKEY_CLASSES_ROOT\\Vp.Orphan" + std::to_string(i) +
            "\\CLSID]\r\n@=\"{E0000000-0000-0000-0000-000000000001}\"\r\n\r\n";
  return text;
}

StringList DirtyIgnoreList() {
  StringList list = ParseIgnoreEntries(ReadFixture("../../../data/Data/Default IgnoreList.dat"));
  const StringList own = ParseIgnoreEntries(ReadFixture("areas/Custom IgnoreList.dat"));
  list.insert(list.end(), own.begin(), own.end());
  return list;
}

std::set<std::string> StockPrefixFindings() {
  std::set<std::string> findings;
  for (const auto& fields : DataRows("stock-prefix-findings.txt")) {
    std::string line = fields.front();
    for (size_t i = 1; i < fields.size(); ++i) line += "\t" + fields[i];
    findings.insert(line);
  }
  return findings;
}

::testing::AssertionResult PlantDirtyDrive(const std::string& root) {
  namespace fs = std::filesystem;
  const fs::path source = fs::u8path(DataPath("scanner/areas/drive_c"));
  std::error_code ec;
  for (fs::recursive_directory_iterator it(source, ec), end; !ec && it != end; it.increment(ec)) {
    std::string relative = it->path().lexically_relative(source).generic_string();
    std::replace(relative.begin(), relative.end(), '/', '\\');
    const std::string target = root + relative;
    const bool made = it->is_directory() ? ForceFolders(target)
                                         : ForceFolders(ParentFolder(target)) && CreateEmptyFile(target);
    if (!made) return ::testing::AssertionFailure() << "cannot create " << target;
  }
  if (ec) return ::testing::AssertionFailure() << "cannot list the drive folder: " << ec.message();
  return ::testing::AssertionSuccess();
}

::testing::AssertionResult NoteOperations(PlantedEntries& planted,
                                          const std::vector<TRegFileOperation>& operations) {
  for (const TRegFileOperation& operation : operations) {
    if (operation.kind == TRegFileOperation::kDeleteKey)
      return ::testing::AssertionFailure() << "line " << operation.line << " deletes a key";
    const auto key = TKeyAddress::Parse(operation.keyPath);
    if (!key)
      return ::testing::AssertionFailure()
             << "line " << operation.line << ": no root in " << operation.keyPath;
    auto noted = operation.kind == TRegFileOperation::kCreateKey
                     ? planted.NoteKey(key->Root, key->Path)
                     : planted.NoteValue(key->Root, key->Path, operation.valueName);
    if (!noted) return noted;
  }
  return ::testing::AssertionSuccess();
}

std::vector<TNewItem> WholeScanItems(bool deep, const StringList& ignoreList) {
  TQueueDispatcher dispatcher;
  TScanDriver driver(dispatcher);
  TScanRequest request;
  request.deep = deep;
  request.language = TestLanguage();
  request.ignoreList = ignoreList;
  EXPECT_TRUE(driver.Start(request));
  driver.Wait();
  return driver.Items();
}

}  // namespace vp::test
