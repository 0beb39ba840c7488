#include "scanner/SweeperTypes.h"

namespace vp {

namespace {

constexpr std::string_view kEntries[TCleanerLanguage::kCount] = {
    "Misc.1",     "Cleaner.1",  "",           "",           "",           "",
    "Cleaner.2",  "Cleaner.3",  "Cleaner.4",  "Cleaner.4",  "Cleaner.10", "Cleaner.11",
    "Cleaner.13", "Cleaner.14", "Cleaner.15", "Cleaner.16", "Cleaner.17", "Cleaner.18",
    "Cleaner.19", "Cleaner.20", "Cleaner.5",  "Cleaner.5"};

}  // namespace

std::string_view CleanerLanguageEntry(int index) {
  if (index < 0 || index >= TCleanerLanguage::kCount) return {};
  return kEntries[index];
}

TCleanerLanguage MakeCleanerLanguage(const std::function<std::string(std::string_view id)>& messageText) {
  TCleanerLanguage language;
  for (int i = 0; i < TCleanerLanguage::kCount; ++i) {
    const std::string_view entry = kEntries[i];
    if (!entry.empty()) language.Texts[static_cast<size_t>(i)] = messageText(entry);
  }
  return language;
}

}  // namespace vp
