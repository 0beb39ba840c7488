// Class registrations below HKEY_CLASSES_ROOT, cross-checked (area 16, deep
// scan only): classes whose servers are all gone or whose AppID points
// nowhere, type libraries whose 32-bit file is gone, interfaces and program
// identifiers that lead to a broken or unregistered class or type library.
// The findings are collected first and reported only when there are few
// enough of them to be trusted. The classes and interfaces of the 32-bit
// programs are their own (below Wow6432Node); a class registered in either
// view counts as registered, since the program identifiers and type
// libraries both views share may name either.

#include <unordered_set>

#include "platform/Platform.h"
#include "registry/FastRegistry.h"
#include "registry/RegistryViews.h"
#include "scanner/IgnoreMatch.h"
#include "scanner/Sweeper.h"

namespace vp {

using platform::RegHandle;

namespace {

// More findings than this and the whole area is taken as unreliable.
constexpr size_t kMaxReportedFindings = 100;
// A list shorter than this is taken as unread, and the tests that look names
// up in it are skipped: the AppID test of the classes for the AppID list, the
// interfaces' type library test for the type library list, the interfaces'
// proxy/stub test and the program identifiers for the class list. The other
// tests only go through a list, so a short one is simply short (a fresh
// system may hold three AppIDs).
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
  if (auto registry = OpenReadOnly(platform::kHkeyClassesRoot, key)) registry->GetKeyNames(names);
  return names;
}

// A key of HKEY_CLASSES_ROOT in one view and the names below it.
struct ViewList {
  TKeyView view;
  StringList names;
};

// The sub-key names of key in each view that has its own.
std::vector<ViewList> ClassSubKeysInViews(const std::string& key) {
  std::vector<ViewList> lists;
  for (TKeyView& view : KeyViews(platform::kHkeyClassesRoot, key)) {
    StringList names = ClassSubKeys(view.Path);
    lists.push_back({std::move(view), std::move(names)});
  }
  return lists;
}

size_t NameCount(const std::vector<ViewList>& lists) {
  size_t count = 0;
  for (const ViewList& list : lists) count += list.names.size();
  return count;
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
  const std::vector<ViewList> appIdLists = ClassSubKeysInViews("AppID");
  const std::vector<ViewList> typeLibLists = ClassSubKeysInViews("TypeLib");
  const std::vector<ViewList> classLists = ClassSubKeysInViews("CLSID");
  const bool appIdsRead = NameCount(appIdLists) >= kMinimumListSize;
  const bool typeLibsRead = NameCount(typeLibLists) >= kMinimumListSize;
  const bool classesRead = NameCount(classLists) >= kMinimumListSize;

  NameSet appIds;
  for (const ViewList& list : appIdLists)
    for (const std::string& name : list.names) appIds.insert(Lower(name));
  NameSet validClasses;
  for (const ViewList& list : classLists)
    for (const std::string& name : list.names) validClasses.insert(Lower(name));
  NameSet validTypeLibs;
  for (const ViewList& list : typeLibLists)
    for (const std::string& name : list.names) validTypeLibs.insert(Lower(name));
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

  // A class registered in both views is broken only when both its
  // registrations are.
  NameSet sound;
  for (const ViewList& list : classLists) {
    for (const std::string& name : list.names) {
      if (StopRequested()) return;
      IncKeys();
      const std::string lowerName = Lower(name);
      bool broken = false;
      const std::string key = list.view.Path + "\\" + name;
      if (auto registry = OpenReadOnly(root, key)) {
        const std::string appId = GuidValue(*registry, "AppID");
        if (appIdsRead && !appId.empty() && !Has(appIds, appId) && !ignored(name)) {
          record(key, kTextAppIdUnregistered);
          broken = true;
          brokenClasses.insert(lowerName);
          validClasses.erase(lowerName);
        }
      }
      StringList servers;
      for (std::string_view server : kServerKeys) {
        auto registry = OpenReadOnly(root, key + "\\" + std::string(server));
        if (registry && registry->ValueExists("") && IsStringType(registry->GetDataType("")))
          servers.push_back(registry->ReadValueAsString(""));
      }
      bool allMissing = !servers.empty();
      for (const std::string& server : servers) {
        TAnalyzerResult result;
        AnalyzeInView(server, result, list.view.View32);
        allMissing = allMissing && result.Kind == kReferenceMissing;
      }
      if (allMissing && !ignored(name)) {
        record(key, kTextServersMissing);
        broken = true;
        brokenClasses.insert(lowerName);
        validClasses.erase(lowerName);
      }
      if (!broken) sound.insert(lowerName);
    }
  }
  for (const std::string& name : sound) {
    if (brokenClasses.erase(name) > 0) validClasses.insert(name);
  }

  for (const ViewList& list : typeLibLists) {
    for (const std::string& name : list.names) {
      if (StopRequested()) return;
      IncKeys();
      const std::string key = list.view.Path + "\\" + name;
      for (const std::string& version : ClassSubKeys(key)) {
        if (StopRequested()) return;
        auto registry = OpenReadOnly(root, key + "\\" + version + "\\0\\win32");
        if (!registry || ignored(name) || ignored(version)) continue;
        if (!registry->ValueExists("") || !IsStringType(registry->GetDataType(""))) continue;
        TAnalyzerResult result;
        AnalyzeInView(registry->ReadValueAsString(""), result, list.view.View32);
        if (result.Kind != kReferenceMissing) continue;
        record(key, kTextTypeLibraryBroken);
        brokenTypeLibs.insert(Lower(name));
        validTypeLibs.erase(Lower(name));
      }
    }
  }

  for (const ViewList& list : ClassSubKeysInViews("Interface")) {
    for (const std::string& name : list.names) {
      if (StopRequested()) return;
      IncKeys();
      const std::string key = list.view.Path + "\\" + name;
      for (std::string_view link : kInterfaceLinks) {
        auto registry = OpenReadOnly(root, key + "\\" + std::string(link));
        if (!registry || ignored(link)) continue;
        const std::string target = GuidValue(*registry, "");
        if (target.empty()) continue;
        if (link == "TypeLib") {
          if (typeLibsRead && (Has(brokenTypeLibs, target) || !Has(validTypeLibs, target)))
            record(key, kTextTypeLibraryBroken);
        } else if (classesRead && (Has(brokenClasses, target) || !Has(validClasses, target))) {
          record(key, kTextServersMissing);
        }
      }
    }
  }

  for (const std::string& name : classesRead ? ClassSubKeys("") : StringList()) {
    if (StopRequested()) return;
    if (name.empty() || name.front() == '.' || name.front() == '*' || ignored(name)) continue;
    bool special = false;
    for (std::string_view other : kNotProgIds) special = special || SameText(name, other);
    if (special) continue;
    IncKeys();
    auto registry = OpenReadOnly(root, name + "\\CLSID");
    if (!registry) continue;
    const std::string target = GuidValue(*registry, "");
    if (!target.empty() && (!Has(validClasses, target) || Has(brokenClasses, target)))
      record(name, kTextClassBroken);
  }

  if (findings.size() > kMaxReportedFindings) return;
  const std::string& wholeKey = language_.Text(kTextWholeKey);
  for (const ComFinding& finding : findings) {
    if (StopRequested()) return;
    Report(root, finding.key, wholeKey, wholeKey, finding.date, kProblemComRegistration,
           language_.Text(finding.text), false, finding.text);
  }
}

}  // namespace vp
