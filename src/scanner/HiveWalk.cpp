// The whole-hive walk: areas -1 and 1 to 5 walk a registry tree depth-first
// and look in every key's name, value names and value data for references
// to missing files.

#include "registry/FastRegistry.h"
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
  TFastRegistry registry;
  registry.SetRootKey(root);
  TRegKeyInfo info;
  if (!registry.OpenKeyReadOnly(key) || !registry.GetKeyInfo(info)) return 0;
  return FileTimeToDateTime(info.FileTime);
}

void TSweeper::WalkKey(RegHandle root, const std::string& key) {
  // The first call of a walk has nothing to compare with.
  if (StopRequested() || (walkStarted_ && SamePath(key, lastKeyWalked_))) return;
  lastKeyWalked_ = key;
  if (walkStarted_ && key.empty()) return;
  walkStarted_ = true;

  StringList names;
  {
    TFastRegistry registry;
    registry.SetRootKey(root);
    if (!registry.OpenKeyReadOnly(key)) return;
    registry.GetKeyNames(names);
  }
  for (const std::string& rawName : names) {
    if (StopRequested()) return;
    const std::string name = Trim(rawName);
    if (name.empty()) continue;
    const std::string subKey = key.empty() ? name : key + "\\" + name;
    if (IsSkippedBranch(key, name, subKey)) continue;
    bool hasSubKeys = false;
    {
      TFastRegistry registry;
      registry.SetRootKey(root);
      if (!registry.OpenKeyReadOnly(subKey)) continue;
      hasSubKeys = registry.HasSubKeys();
    }
    if (!SamePath(subKey, lastKeyChecked_)) CheckKey(root, subKey);
    if (!SamePath(subKey, key) && !SamePath(subKey, lastKeyWalked_) && hasSubKeys) WalkKey(root, subKey);
  }
  if (StopRequested()) return;
  SetKeysStep(static_cast<int32_t>(names.size()));
  IncKeys();
  SetKeysStep(1);
}

void TSweeper::CheckKey(RegHandle root, const std::string& key) {
  if (StopRequested() || key.empty() || SamePath(key, lastKeyChecked_)) return;
  MaybeYield();
  lastKeyChecked_ = key;

  const std::string& wholeKey = language_.Text(kTextWholeKey);
  TAnalyzerResult keyResult;
  Analyze(key, keyResult, analysis_);
  if (IsFinding(keyResult)) {
    const DateTime date = options_.ReadKeyDates ? KeyDate(root, key) : 0;
    Report(root, key, wholeKey, wholeKey, date, kProblemFileReference, keyResult.Detail, false);
  }

  TFastRegistry registry;
  registry.SetRootKey(root);
  if (!registry.OpenKeyReadOnly(key)) return;
  StringList names;
  registry.GetValueNames(names);
  for (const std::string& name : names) {
    if (StopRequested()) return;
    TAnalyzerResult result;
    Analyze(name, result, analysis_);
    std::string text;
    bool textRead = false;
    if (!IsFinding(result)) {
      text = registry.ReadValueAsString(name);
      textRead = true;
      result = TAnalyzerResult{};
      Analyze(text, result, analysis_);
    }
    if (!IsFinding(result)) continue;
    if (!textRead) text = registry.ReadValueAsString(name);
    DateTime date = 0;
    if (options_.ReadKeyDates) {
      TRegKeyInfo info;
      if (registry.GetKeyInfo(info)) date = FileTimeToDateTime(info.FileTime);
    }
    Report(root, key, name, text, date, kProblemFileReference, result.Detail, false);
  }
  SetValuesStep(static_cast<int32_t>(names.size()));
  IncValues();
  SetValuesStep(1);
}

}  // namespace vp
