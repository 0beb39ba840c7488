// The whole-hive walk: areas -1 and 1 to 5 walk a registry tree depth-first
// and look in every key's name, value names and value data for references
// to missing files.

#include "registry/FastRegistry.h"
#include "registry/RegistryViews.h"
#include "scanner/Sweeper.h"

namespace vp {

using platform::RegHandle;

namespace {

// Keys the walk leaves alone: the top-level class registrations (the deep
// scan's COM check covers them), everything below the security and system
// hives, and any path through class, type library, interface, system
// configuration or uninstall keys.
constexpr std::string_view kSkippedTopKeys[] = {"CLSID", "AppID", "ProgID"};
constexpr std::string_view kClosedKeys[] = {"SAM", "System", "Security"};
constexpr std::string_view kSkippedParts[] = {"PersistentHandler",
                                              "CLSID",
                                              "CurVer",
                                              "TypeLib",
                                              "Interface",
                                              "AppID",
                                              "ProgID",
                                              "Software\\Classes",
                                              "SYSTEM\\",
                                              "CurrentVersion\\Uninstall"};

constexpr std::string_view kWow64Node = "Wow6432Node";

bool IsFinding(const TAnalyzerResult& result) {
  return result.Kind == kReferenceMissing || result.Kind == kReferenceExcused;
}

}  // namespace

bool TSweeper::IsSkippedBranch(const std::string& key, const std::string& name,
                               const std::string& subKey) const {
  if (!currentUserHive_.empty() && name == currentUserHive_) return true;
  if (subKey == "\\") return true;
  for (std::string_view top : kSkippedTopKeys)
    if (SamePath(subKey, top)) return true;
  for (std::string_view closed : kClosedKeys)
    if (SamePath(key, closed)) return true;
  for (std::string_view part : kSkippedParts)
    if (PosEx(part, subKey, 1, kIgnoreCase) > 0) return true;
  return false;
}

DateTime TSweeper::KeyDate(RegHandle root, const std::string& key) const {
  auto registry = OpenReadOnly(root, key);
  TRegKeyInfo info;
  if (!registry || !registry->GetKeyInfo(info)) return 0;
  return FileTimeToDateTime(info.FileTime);
}

// Under Wine every registry call is a round trip to the server, so the walk
// opens a key once and takes from it all it will need: the key information
// (sub-key count, last write time), every value with its data, and the
// sub-key names. The key is closed before its children are walked.
struct TSweeper::TKeyContents {
  bool opened = false;
  bool infoRead = false;
  TRegKeyInfo info;
  std::vector<std::pair<std::string, std::string>> values;  // name, data as text
  StringList subKeys;

  bool HasSubKeys() const { return infoRead && info.NumSubKeys > 0; }
};

namespace {

// Values as text, in the registry's order. The one-pass read leaves out a
// value whose data has no exact 8-bit form; the key is then read name by
// name, so such a value is still checked by its name (with empty data).
void ReadValues(TFastRegistry& registry, const TRegKeyInfo& info,
                std::vector<std::pair<std::string, std::string>>& values) {
  values.clear();
  std::vector<TRegValue> raw;
  if (registry.GetValuesComplete(raw, &info)) {
    values.reserve(raw.size());
    for (TRegValue& value : raw)
      values.emplace_back(std::move(value.Name), ValueAsString(value.Type, value.Data));
    return;
  }
  StringList names;
  registry.GetValueNames(names, &info);
  values.reserve(names.size());
  for (std::string& name : names) {
    std::string text = registry.ReadValueAsString(name);
    values.emplace_back(std::move(name), std::move(text));
  }
}

}  // namespace

// Opens the key for reading and takes the values (withValues) and, when it
// has any, the sub-key names (withSubKeys). False when it cannot be opened.
bool TSweeper::ReadKeyContents(RegHandle root, const std::string& key, bool withValues, bool withSubKeys,
                               TKeyContents& contents) {
  auto registry = OpenReadOnly(root, key);
  if (!registry) return false;
  contents.opened = true;
  contents.infoRead = registry->GetKeyInfo(contents.info);
  if (withValues && contents.infoRead && contents.info.NumValues > 0)
    ReadValues(*registry, contents.info, contents.values);
  if (withSubKeys && contents.HasSubKeys()) registry->GetKeyNames(contents.subKeys, &contents.info);
  return true;
}

void TSweeper::WalkKey(RegHandle root, const std::string& key) {
  // The first call of a walk has nothing to compare with.
  if (StopRequested() || (walkStarted_ && SamePath(key, lastKeyWalked_))) return;
  lastKeyWalked_ = key;
  if (walkStarted_ && key.empty()) return;
  walkStarted_ = true;

  StringList names;
  {
    auto registry = OpenReadOnly(root, key);
    if (!registry) return;
    registry->GetKeyNames(names);
  }
  WalkSubKeys(root, key, names);
}

// The body of WalkKey once key's sub-key names are known.
void TSweeper::WalkSubKeys(RegHandle root, const std::string& key, const StringList& names) {
  for (const std::string& rawName : names) {
    if (StopRequested()) return;
    const std::string name = Trim(rawName);
    if (name.empty()) continue;
    const std::string subKey = key.empty() ? name : key + "\\" + name;
    if (IsSkippedBranch(key, name, subKey)) continue;
    // A key the 32-bit view shares with the 64-bit one is a link there to the
    // 64-bit key, which the walk meets under its own name.
    if (PosEx(kWow64Node, subKey, 1, kIgnoreCase) > 0 && !IsOwnKey(root, subKey)) continue;
    const bool check = !SamePath(subKey, lastKeyChecked_);
    // Checking the key leaves the last key walked as it is, so whether the
    // walk may descend is known before the key is read.
    const bool mayDescend = !SamePath(subKey, key) && !SamePath(subKey, lastKeyWalked_);
    if (!check && !mayDescend) continue;
    TKeyContents contents;
    if (!ReadKeyContents(root, subKey, check, mayDescend, contents)) continue;
    if (check) CheckKeyContents(root, subKey, contents);
    if (!mayDescend || !contents.HasSubKeys()) continue;
    // WalkKey(root, subKey) with the names already read.
    if (StopRequested()) return;
    lastKeyWalked_ = subKey;
    StringList subKeys = std::move(contents.subKeys);
    contents = TKeyContents{};  // the values are done with; keep only the names
    WalkSubKeys(root, subKey, subKeys);
  }
  if (StopRequested()) return;
  SetKeysStep(static_cast<int32_t>(names.size()));
  IncKeys();
  SetKeysStep(1);
}

void TSweeper::CheckKey(RegHandle root, const std::string& key) {
  if (StopRequested() || key.empty() || SamePath(key, lastKeyChecked_)) return;
  TKeyContents contents;
  ReadKeyContents(root, key, true, false, contents);
  CheckKeyContents(root, key, contents);
}

void TSweeper::CheckKeyContents(RegHandle root, const std::string& key, const TKeyContents& contents) {
  if (StopRequested() || key.empty() || SamePath(key, lastKeyChecked_)) return;
  MaybeYield();
  lastKeyChecked_ = key;

  const DateTime date =
      options_.ReadKeyDates && contents.infoRead ? FileTimeToDateTime(contents.info.FileTime) : 0;
  const std::string& wholeKey = language_.Text(kTextWholeKey);
  TAnalyzerResult keyResult;
  Analyze(key, keyResult, analysis_);
  if (IsFinding(keyResult))
    Report(root, key, wholeKey, wholeKey, date, kProblemFileReference, keyResult.Detail, false);

  if (!contents.opened) return;
  for (const auto& [name, text] : contents.values) {
    if (StopRequested()) return;
    TAnalyzerResult result;
    Analyze(name, result, analysis_);
    if (!IsFinding(result)) {
      result = TAnalyzerResult{};
      Analyze(text, result, analysis_);
    }
    if (!IsFinding(result)) continue;
    Report(root, key, name, text, date, kProblemFileReference, result.Detail, false);
  }
  SetValuesStep(static_cast<int32_t>(contents.values.size()));
  IncValues();
  SetValuesStep(1);
}

}  // namespace vp
