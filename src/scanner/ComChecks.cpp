// Class registrations below HKEY_CLASSES_ROOT, cross-checked (area 16, deep
// scan only): classes whose servers are all gone or whose AppID points
// nowhere, type libraries whose 32-bit file is gone, interfaces and program
// identifiers that lead to a broken or unregistered class or type library.
// The findings are collected first and reported only when there are few
// enough of them to be trusted.

#include <unordered_set>

#include "platform/Platform.h"
#include "registry/FastRegistry.h"
#include "scanner/IgnoreMatch.h"
#include "scanner/Sweeper.h"

namespace vp {

using platform::RegHandle;

namespace {

// More findings than this and the whole area is taken as unreliable.
constexpr size_t kMaxReportedFindings = 100;
// A class, type library or AppID list shorter than this: no check at all.
constexpr size_t kMinimumListSize = 5;

// Language texts of the findings.
constexpr int kTextServersMissing = 8;
constexpr int kTextTypeLibraryBroken = 10;
constexpr int kTextClassBroken = 11;
constexpr int kTextAppIdUnregistered = 12;

constexpr std::string_view kServerKeys[] = {"InProcServer", "InProcServer32", "InProcHandler",
                                            "InProcHandler32"};
constexpr std::string_view kInterfaceLinks[] = {"TypeLib", "ProxyStubClsId", "ProxyStubClsId32"};
constexpr std::string_view kNotProgIds[] = {"CLSID", "APPID", "TypeLib", "Interface"};

using NameSet = std::unordered_set<std::string>;

std::string Lower(std::string_view text) {
  return platform::Sys().LowerCase(text);
}

bool IsGuidText(std::string_view text) {
  return text.size() >= 10 && text.front() == '{' && text.back() == '}' &&
         text.find('-') != std::string_view::npos;
}

bool IsStringType(TRegDataType type) {
  return type == rdString || type == rdExpandString;
}

// The value in lower case when it is a string holding a GUID text, else "".
std::string GuidValue(TFastRegistry& registry, std::string_view name) {
  if (!registry.ValueExists(name) || !IsStringType(registry.GetDataType(name))) return {};
  std::string text = Lower(registry.ReadValueAsString(name));
  return IsGuidText(text) ? text : std::string();
}

// The sub-key names of a key of HKEY_CLASSES_ROOT.
StringList ClassSubKeys(const std::string& key) {
  StringList names;
  TFastRegistry registry;
  registry.SetRootKey(platform::kHkeyClassesRoot);
  if (registry.OpenKeyReadOnly(key)) registry.GetKeyNames(names);
  return names;
}

bool Has(const NameSet& set, const std::string& name) {
  return set.find(name) != set.end();
}

struct ComFinding {
  std::string key;
  DateTime date = 0;
  int text = 0;
};

}  // namespace

void TSweeper::CheckComRegistrations() {
  const RegHandle root = platform::kHkeyClassesRoot;
  const StringList appIdNames = ClassSubKeys("AppID");
  const StringList typeLibNames = ClassSubKeys("TypeLib");
  const StringList classNames = ClassSubKeys("CLSID");
  if (appIdNames.size() < kMinimumListSize || typeLibNames.size() < kMinimumListSize ||
      classNames.size() < kMinimumListSize)
    return;

  NameSet appIds;
  for (const std::string& name : appIdNames) appIds.insert(Lower(name));
  NameSet validClasses;
  for (const std::string& name : classNames) validClasses.insert(Lower(name));
  NameSet validTypeLibs;
  for (const std::string& name : typeLibNames) validTypeLibs.insert(Lower(name));
  NameSet brokenClasses;
  NameSet brokenTypeLibs;

  // Nothing is reported beyond the limit, so the table keeps only one more
  // than that: enough to know the limit was passed.
  std::vector<ComFinding> findings;
  auto record = [&](const std::string& key, int text) {
    if (findings.size() > kMaxReportedFindings) return;
    findings.push_back({key, ReportDate(root, key), text});
  };
  auto ignored = [this](std::string_view name) {
    return FindPlainIgnore(IgnoreList(), Lower(name)) != nullptr;
  };

  for (const std::string& name : classNames) {
    if (StopRequested()) return;
    IncKeys();
    const std::string lowerName = Lower(name);
    const std::string key = "CLSID\\" + name;
    {
      TFastRegistry registry;
      registry.SetRootKey(root);
      if (registry.OpenKeyReadOnly(key)) {
        const std::string appId = GuidValue(registry, "AppID");
        if (!appId.empty() && !Has(appIds, appId) && !ignored(name)) {
          record(key, kTextAppIdUnregistered);
          brokenClasses.insert(lowerName);
          validClasses.erase(lowerName);
        }
      }
    }
    StringList servers;
    for (std::string_view server : kServerKeys) {
      TFastRegistry registry;
      registry.SetRootKey(root);
      if (registry.OpenKeyReadOnly(key + "\\" + std::string(server)) && registry.ValueExists("") &&
          IsStringType(registry.GetDataType("")))
        servers.push_back(registry.ReadValueAsString(""));
    }
    bool allMissing = !servers.empty();
    for (const std::string& server : servers) {
      TAnalyzerResult result;
      Analyze(server, result, analysis_);
      allMissing = allMissing && result.Kind == kReferenceMissing;
    }
    if (allMissing && !ignored(name)) {
      record(key, kTextServersMissing);
      brokenClasses.insert(lowerName);
      validClasses.erase(lowerName);
    }
  }

  for (const std::string& name : typeLibNames) {
    if (StopRequested()) return;
    IncKeys();
    const std::string key = "TypeLib\\" + name;
    for (const std::string& version : ClassSubKeys(key)) {
      if (StopRequested()) return;
      TFastRegistry registry;
      registry.SetRootKey(root);
      if (!registry.OpenKeyReadOnly(key + "\\" + version + "\\0\\win32") || ignored(name) || ignored(version))
        continue;
      if (!registry.ValueExists("") || !IsStringType(registry.GetDataType(""))) continue;
      TAnalyzerResult result;
      Analyze(registry.ReadValueAsString(""), result, analysis_);
      if (result.Kind != kReferenceMissing) continue;
      record(key, kTextTypeLibraryBroken);
      brokenTypeLibs.insert(Lower(name));
      validTypeLibs.erase(Lower(name));
    }
  }

  for (const std::string& name : ClassSubKeys("Interface")) {
    if (StopRequested()) return;
    IncKeys();
    const std::string key = "Interface\\" + name;
    for (std::string_view link : kInterfaceLinks) {
      TFastRegistry registry;
      registry.SetRootKey(root);
      if (!registry.OpenKeyReadOnly(key + "\\" + std::string(link)) || ignored(link)) continue;
      const std::string target = GuidValue(registry, "");
      if (target.empty()) continue;
      if (link == "TypeLib") {
        if (Has(brokenTypeLibs, target) || !Has(validTypeLibs, target)) record(key, kTextTypeLibraryBroken);
      } else if (Has(brokenClasses, target) || !Has(validClasses, target)) {
        record(key, kTextServersMissing);
      }
    }
  }

  for (const std::string& name : ClassSubKeys("")) {
    if (StopRequested()) return;
    if (name.empty() || name.front() == '.' || name.front() == '*' || ignored(name)) continue;
    bool special = false;
    for (std::string_view other : kNotProgIds) special = special || SameText(name, other);
    if (special) continue;
    IncKeys();
    TFastRegistry registry;
    registry.SetRootKey(root);
    if (!registry.OpenKeyReadOnly(name + "\\CLSID")) continue;
    const std::string target = GuidValue(registry, "");
    if (!target.empty() && (!Has(validClasses, target) || Has(brokenClasses, target)))
      record(name, kTextClassBroken);
  }

  if (findings.size() > kMaxReportedFindings) return;
  const std::string& wholeKey = language_.Text(kTextWholeKey);
  for (const ComFinding& finding : findings) {
    if (StopRequested()) return;
    Report(root, finding.key, wholeKey, wholeKey, finding.date, kProblemComRegistration,
           language_.Text(finding.text));
  }
}

}  // namespace vp
