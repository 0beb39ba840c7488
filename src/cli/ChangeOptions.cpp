#include "cli/ChangeOptions.h"

#include "files/FileTools.h"
#include "files/StringTools.h"
#include "platform/FileSystem.h"
#include "platform/Platform.h"

namespace vp::cli {

bool TakeChangeOption(const Arguments& arguments, size_t& i, ChangeOptions& options) {
  const std::string& argument = arguments[i];
  const bool hasValue = i + 1 < arguments.size();
  if (argument == "--all") {
    options.all = true;
  } else if (argument == "--dry-run") {
    options.dryRun = true;
  } else if (argument == "--select" && hasValue) {
    options.selectFile = arguments[++i];
  } else if (argument == "--description" && hasValue) {
    options.description = arguments[++i];
  } else {
    return false;
  }
  return true;
}

bool ChangeChoiceGiven(const CommandContext& context, std::string_view command,
                       const ChangeOptions& options) {
  if (options.all == options.selectFile.empty()) return true;
  context.err << "veltaro " << command << ": give either --all or --select FILE\n";
  return false;
}

bool EnsureBackupsFolder(const CommandContext& context, std::string_view command, const std::string& folder) {
  if (FolderExistsChecked(folder)) return true;
  platform::Files().MakeFolder(ExcludeTrailingBackslash(folder));
  if (FolderExistsChecked(folder)) return true;
  context.err << "veltaro " << command << ": cannot create the backups folder " << folder << '\n';
  return false;
}

}  // namespace vp::cli
