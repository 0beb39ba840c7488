// Tabs 0 and 2: the vendor and program keys under Software, and the
// system's uninstall list.
#include <algorithm>
#include <array>
#include <unordered_set>

#include "files/StringTools.h"
#include "manager/ManagerReaders.h"
#include "manager/ManagerRegistry.h"
#include "registry/RegistryViews.h"

namespace vp {
namespace {

using platform::RegHandle;

// Vendor keys that are the system's own, never listed as vendors.
constexpr std::array<std::string_view, 6> kSystemVendors = {
    "classes", "microsoft", "odbc", "policies", "clients", "windows 3.1 migration status"};
// Of these, a vendor key without program keys is not listed either.
constexpr std::array<std::string_view, 12> kSystemLoneKeys = {
    "classes", "microsoft", "odbc",  "policies",       "clients",     "secure",
    "system",  "micro",     "fonts", "program groups", "zes't corp.", "windows 3.1 migration status"};
// Vendor and program pairs that are the system's own.
constexpr std::array<std::pair<std::string_view, std::string_view>, 3> kSystemPrograms = {{
    {"vb and vba program settings", "general"},
    {"description", "microsoft"},
    {"voice", "texttospeech"},
}};

template <size_t N>
bool Listed(const std::array<std::string_view, N>& list, std::string_view name) {
  return std::any_of(list.begin(), list.end(), [&](std::string_view entry) { return SameText(entry, name); });
}

bool SystemProgram(std::string_view vendor, std::string_view program) {
  return std::any_of(kSystemPrograms.begin(), kSystemPrograms.end(), [&](const auto& pair) {
    return SameText(pair.first, vendor) && SameText(pair.second, program);
  });
}

constexpr std::array<RegHandle, 4> kSoftwareRoots = {platform::kHkeyLocalMachine, platform::kHkeyCurrentUser,
                                                     platform::kHkeyCurrentConfig,
                                                     platform::kHkeyClassesRoot};
constexpr std::array<RegHandle, 2> kUninstallRoots = {platform::kHkeyLocalMachine,
                                                      platform::kHkeyCurrentUser};
constexpr std::string_view kUninstallKey = "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall";

}  // namespace

void ReadInstalledSoftware(const TReaderContext& context, TRowCollector& rows) {
  for (RegHandle root : kSoftwareRoots) {
    // The 32-bit programs keep their own vendor keys in their view.
    for (const TKeyView& software : ListedViews(root, "Software")) {
      rows.SetView32(software.View32);
      for (const std::string& vendor : ViewSubKeyNames(root, software)) {
        const std::string vendorKey = Below(software.Path, vendor);
        const StringList programs = SubKeyNames(root, vendorKey);
        if (programs.empty()) {
          if (!Listed(kSystemLoneKeys, vendor) && !rows.AddRow(context.texts.unknown, {vendor})) return;
          continue;
        }
        if (Listed(kSystemVendors, vendor)) continue;
        for (const std::string& program : programs) {
          if (SystemProgram(vendor, program) || !KeyPresent(root, Below(vendorKey, program))) continue;
          if (!rows.AddRow(CapitalizeWords(vendor), {CapitalizeWords(program)})) return;
        }
        if (rows.Aborted()) return;
      }
    }
  }
  rows.SetView32(false);
}

void ReadUninstallEntries(const TReaderContext&, TRowCollector& rows) {
  // Captions shown once per view, in the fixed upper case.
  std::unordered_set<std::string> shown;
  auto add = [&](const std::string& caption, bool view32) {
    if (!shown.insert(FixedUpperText(caption) + (view32 ? "|32" : "|64")).second) return true;
    return rows.AddRow(caption, std::string());
  };
  for (RegHandle root : kUninstallRoots) {
    // The 32-bit programs keep their entries in their own view.
    for (const TKeyView& view : KeyViews(root, kUninstallKey)) {
      rows.SetView32(view.View32);
      for (const std::string& key : SubKeyNames(root, view.Path)) {
        const std::string entry = view.Path + "\\" + key;
        const std::string display = ValueText(root, entry, "DisplayName");
        const std::string quiet =
            display.empty() ? ValueText(root, entry, "QuietDisplayName") : std::string();
        const std::string& caption = !display.empty() ? display : (!quiet.empty() ? quiet : key);
        if (!add(caption, view.View32)) return;
      }
    }
  }
  rows.SetView32(false);
}

}  // namespace vp
