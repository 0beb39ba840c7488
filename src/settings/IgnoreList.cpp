#include "settings/IgnoreList.h"

#include "platform/FileSystem.h"
#include "platform/Platform.h"
#include "platform/System.h"

namespace vp {

StringList ParseIgnoreEntries(std::string_view fileText) {
  StringList entries;
  size_t start = 0;
  while (start < fileText.size()) {
    size_t end = fileText.find_first_of("\r\n", start);
    if (end == std::string_view::npos) end = fileText.size();
    std::string line = platform::Sys().LowerCase(Trim(fileText.substr(start, end - start)));
    if (const size_t comment = line.find("//"); comment != std::string::npos)
      line = Trim(line.substr(0, comment));
    if (!line.empty()) entries.push_back(std::move(line));
    // A line ends at CR LF, at CR or at LF.
    start = end + 1;
    if (end + 1 < fileText.size() && fileText[end] == '\r' && fileText[end + 1] == '\n') ++start;
  }
  return entries;
}

std::optional<StringList> LoadMergedIgnoreList(std::string_view dataFolder) {
  const std::string folder = EnsureTrailing(dataFolder, '\\');
  StringList merged;
  for (const char* name : kIgnoreListFiles) {
    const std::string path = folder + name;
    if (!platform::Files().Attributes(path)) continue;
    const std::optional<std::string> text = platform::Files().ReadWholeFile(path);
    if (!text) return std::nullopt;
    StringList entries = ParseIgnoreEntries(*text);
    merged.insert(merged.end(), std::make_move_iterator(entries.begin()),
                  std::make_move_iterator(entries.end()));
  }
  return merged;
}

}  // namespace vp
