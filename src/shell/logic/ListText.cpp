#include "shell/logic/ListText.h"

#include <algorithm>

#include "platform/FileSystem.h"
#include "platform/Platform.h"

namespace vp::shell {

std::string ListAsText(const std::vector<TListRow>& rows, size_t columnCount) {
  const size_t shown = columnCount > 0 ? columnCount - 1 : 0;
  std::string text;
  for (const TListRow& row : rows) {
    text += row.caption;
    for (size_t i = 0; i < std::min(shown, row.subItems.size()); ++i) text += " | " + row.subItems[i];
    text += "\r\n";
  }
  return text;
}

std::string TextFileName(std::string_view confirmed) {
  const size_t nameStart = confirmed.find_last_of("\\/:");
  const std::string_view name =
      nameStart == std::string_view::npos ? confirmed : confirmed.substr(nameStart + 1);
  // A leading dot alone (".profile") is a name, not an extension; a trailing
  // dot names no extension either.
  const size_t dot = name.rfind('.');
  const bool hasExtension = dot != std::string_view::npos && dot > 0 && dot + 1 < name.size();
  std::string result(confirmed);
  if (!hasExtension) result += ".txt";
  return result;
}

bool SaveListAsText(std::string_view confirmed, const std::vector<TListRow>& rows, size_t columnCount) {
  return platform::Files().WriteWholeFile(TextFileName(confirmed), ListAsText(rows, columnCount));
}

}  // namespace vp::shell
