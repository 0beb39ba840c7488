#include "cli/ListCommand.h"

#include <array>
#include <string_view>

#include "cli/FindingFormat.h"
#include "cli/ManagerSession.h"
#include "files/StringTools.h"

namespace vp::cli {
namespace {

constexpr std::array<std::string_view, 9> kTabNames = {
    "software", "startup", "uninstall", "filetypes", "newfile", "verbs", "iemenu", "openwith", "search"};

}  // namespace

const char* const kManagerTabNames =
    "software startup uninstall filetypes newfile verbs iemenu openwith search";

int ManagerTabNamed(const std::string& argument) {
  for (size_t i = 0; i < kTabNames.size(); ++i)
    if (argument == std::to_string(i) || SameText(argument, kTabNames[i])) return static_cast<int>(i);
  return -1;
}

int RunListCommand(const CommandContext& context, const Arguments& arguments) {
  int tab = -1;
  bool json = false;
  for (const std::string& argument : arguments) {
    if (argument == "--json") {
      json = true;
    } else if (tab < 0 && ManagerTabNamed(argument) >= 0) {
      tab = ManagerTabNamed(argument);
    } else {
      context.err << "veltaro: list: unknown argument " << argument << "\n";
      return kExitError;
    }
  }
  if (tab < 0) {
    context.err << "veltaro: list needs a tab: 0 to 8 or one of " << kManagerTabNames << "\n";
    return kExitError;
  }

  const std::optional<std::vector<TListRow>> rows = FillManagerTab(context, tab);
  if (!rows) {
    context.err << "veltaro: list interrupted\n";
    return kExitError;
  }
  for (const TListRow& row : *rows) {
    if (json) {
      context.out << "{\"caption\":" << JsonString(row.caption) << ",\"columns\":[";
      for (size_t i = 0; i < row.subItems.size(); ++i)
        context.out << (i > 0 ? "," : "") << JsonString(row.subItems[i]);
      context.out << "],\"view\":" << (row.view32 ? "32" : "64") << "}\n";
    } else {
      context.out << RowLine(row) << '\n';
    }
  }
  return kExitOk;
}

}  // namespace vp::cli
