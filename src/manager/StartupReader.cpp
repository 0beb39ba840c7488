// Tab 1: what Windows starts at log-on, from the Run keys and the Startup
// folders.
#include "files/AppVerInfo.h"
#include "files/PathText.h"
#include "files/StringTools.h"
#include "manager/ManagerReaders.h"
#include "manager/StartupLocations.h"
#include "platform/FileSystem.h"
#include "platform/Platform.h"
#include "registry/FastRegistry.h"
#include "registry/RegistryViews.h"

namespace vp {
namespace {

// A Startup folder holds a handful of shortcuts; a folder with more than
// this many entries is not walked further.
constexpr int kMaxFolderEntries = 1000;
constexpr int kMaxStrippedExtensions = 10;

std::string FileNamePart(std::string_view path) {
  const size_t slash = path.find_last_of('\\');
  return std::string(slash == std::string_view::npos ? path : path.substr(slash + 1));
}

// The description of a program: the shipped cache of descriptions first,
// then the program's own version resource.
std::string Describe(const TReaderContext& context, const std::string& programName, const std::string& path) {
  if (!programName.empty() && !context.dataFolder.empty()) {
    std::string cached = ReadIniString(context.dataFolder + "StartupCache.dat", "Cache", programName);
    if (!cached.empty()) return cached;
  }
  if (!path.empty()) {
    std::string description = TAppVerInfo(path).FileDescription();
    if (!description.empty()) return description;
  }
  return context.texts.noValue;
}

// A shortcut's name without its extensions: "tool.exe.lnk" gives "Tool".
std::string ShortcutCaption(std::string name) {
  for (int i = 0; i < kMaxStrippedExtensions; ++i) {
    const size_t dot = name.find_last_of('.');
    if (dot == std::string::npos) break;
    name = CapitalizeWords(name.substr(0, dot));
  }
  return CapitalizeWords(name);
}

bool ReadRunKey(const TReaderContext& context, const TStartupRunKey& key, TRowCollector& rows) {
  // A machine-wide Run key exists in both views; 32-bit programs register
  // in theirs.
  for (const TKeyView& view : KeyViews(key.root, key.path)) {
    auto registry = OpenReadOnly(key.root, view.Path);
    if (!registry) continue;
    rows.SetView32(view.View32);
    StringList names;
    registry->GetValueNames(names);
    for (const std::string& name : names) {
      const std::string command = Trim(registry->ReadValueAsString(name));
      const std::string caption = CapitalizeWords(name);
      if (command.empty() || caption.empty()) continue;
      const std::string lowered = platform::Sys().LowerCase(command);
      const std::string path = BestPathIn(lowered);
      const std::string program = FileNamePart(path);
      if (!rows.AddRow(caption, {program, Describe(context, program, path), lowered, std::string(key.label)}))
        return false;
    }
  }
  rows.SetView32(false);
  return true;
}

bool ReadStartupFolder(const TReaderContext& context, std::string folder, TRowCollector& rows) {
  if (folder.size() < 3) return true;
  if (folder.back() != '\\') folder += '\\';
  auto search = platform::Files().Search(folder + "*.*");
  platform::DirectoryEntry entry;
  for (int seen = 0; seen < kMaxFolderEntries && search->Next(entry); ++seen) {
    if (rows.Aborted()) return false;
    if (entry.IsFolder() || entry.name.size() < 4 ||
        !SameText(entry.name.substr(entry.name.size() - 4), ".lnk"))
      continue;
    auto target = platform::Sys().ResolveShortcut(folder + entry.name);
    const std::string path = target ? target->path : context.texts.noValue;
    const std::string program = FileNamePart(BestPathIn(path));
    if (!rows.AddRow(ShortcutCaption(entry.name),
                     {program, Describe(context, program, target ? path : std::string()), path, folder,
                      std::string(), entry.name}))
      return false;
  }
  return true;
}

}  // namespace

void ReadStartupEntries(const TReaderContext& context, TRowCollector& rows) {
  for (const TStartupRunKey& key : kStartupRunKeys)
    if (!ReadRunKey(context, key, rows)) return;
  for (platform::ShellFolder folder :
       {platform::ShellFolder::Startup, platform::ShellFolder::CommonStartup}) {
    auto path = platform::Sys().ShellFolderPath(folder);
    if (path && !ReadStartupFolder(context, *path, rows)) return;
  }
}

}  // namespace vp
