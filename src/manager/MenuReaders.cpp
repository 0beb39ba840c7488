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
  for (const TKeyView& view : ListedViews(platform::kHkeyLocalMachine, kSearchKey)) {
    rows.SetView32(view.View32);
    for (const std::string& group : ViewSubKeyNames(platform::kHkeyLocalMachine, view)) {
      const std::string groupKey = Below(view.Path, group);
      for (const std::string& entry : SubKeyNames(platform::kHkeyLocalMachine, groupKey)) {
        const std::string text =
            SearchEntryText(ValueText(platform::kHkeyLocalMachine, Below(groupKey, entry), ""));
        if (!text.empty() && !rows.AddRow(CapitalizeWords(text), std::string())) return;
      }
    }
  }
  rows.SetView32(false);
}

}  // namespace vp
