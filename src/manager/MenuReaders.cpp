// Tabs 6 and 8: the browser's context-menu entries and the Search menu.
#include "files/StringTools.h"
#include "manager/ManagerReaders.h"
#include "manager/ManagerRegistry.h"

namespace vp {
namespace {

constexpr std::string_view kMenuExtKey = "Software\\Microsoft\\Internet Explorer\\MenuExt";
constexpr std::string_view kSearchKey =
    "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\FindExtensions\\Static";

// An entry's text without its accelerator mark.
std::string SearchEntryText(std::string text) {
  if (const size_t amp = text.find('&'); amp != std::string::npos) text.erase(amp, 1);
  return text;
}

}  // namespace

void ReadMenuExtEntries(const TReaderContext&, TRowCollector& rows) {
  for (const std::string& name : SubKeyNames(platform::kHkeyCurrentUser, kMenuExtKey))
    if (!rows.AddRow(CapitalizeWords(name), std::string())) return;
}

void ReadSearchEntries(const TReaderContext& context, TRowCollector& rows) {
  // The Start menu's Search menu of these entries exists only on Windows
  // 2000 and XP.
  if (!context.isWin2000 && !context.isWinXP) return;
  const std::string base(kSearchKey);
  for (const std::string& group : SubKeyNames(platform::kHkeyLocalMachine, base)) {
    for (const std::string& entry : SubKeyNames(platform::kHkeyLocalMachine, base + "\\" + group)) {
      const std::string text =
          SearchEntryText(ValueText(platform::kHkeyLocalMachine, base + "\\" + group + "\\" + entry, ""));
      if (!text.empty() && !rows.AddRow(CapitalizeWords(text), std::string())) return;
    }
  }
}

}  // namespace vp
