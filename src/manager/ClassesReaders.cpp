// Tabs 3, 4, 5 and 7: what the file-type registry under HKEY_CLASSES_ROOT
// offers: extensions, New-menu entries, shell verbs, Open With applications.
#include "files/FileTools.h"
#include "files/StringTools.h"
#include "manager/ManagerReaders.h"
#include "manager/ManagerRegistry.h"

namespace vp {
namespace {

using platform::kHkeyClassesRoot;

// A command shown as its folder and its capitalised file name.
std::string ShownCommand(const std::string& command) {
  const size_t slash = command.find_last_of('\\');
  if (slash == std::string::npos) return CapitalizeWords(command);
  return command.substr(0, slash + 1) + CapitalizeWords(command.substr(slash + 1));
}

// The program the shell associates with an extension, remembered per fill
// thread because each answer costs a temporary file.
std::string AssociatedProgram(const TReaderContext& context, const std::string& extension) {
  std::string program;
  if (context.cacher != nullptr && context.cacher->Lookup(extension, program)) return program;
  program = FindExecutableFor(extension);
  if (context.cacher != nullptr) context.cacher->Store(extension, program);
  return program;
}

// The verbs of a class whose captions are the folder and all-files texts,
// in each view.
bool ListShellVerbs(const TReaderContext& context, const std::string& className, const std::string& caption,
                    TRowCollector& rows) {
  for (const TKeyView& shell : ListedViews(kHkeyClassesRoot, className + "\\Shell")) {
    rows.SetView32(shell.View32);
    for (const std::string& verb : SubKeyNames(kHkeyClassesRoot, shell.Path)) {
      std::string command = ValueText(kHkeyClassesRoot, Below(shell.Path, verb) + "\\Command", "");
      if (command.empty()) command = context.texts.noValue;
      if (!rows.AddRow(caption, {CapitalizeWords(verb), command})) return false;
    }
  }
  return true;
}

// The class keys of each view: the top of HKEY_CLASSES_ROOT, then the 32-bit
// programs' own classes.
template <typename Visit>
void ForEachClass(TRowCollector& rows, Visit visit) {
  for (const TKeyView& view : ListedViews(kHkeyClassesRoot, "")) {
    rows.SetView32(view.View32);
    if (!visit(view, ViewSubKeyNames(kHkeyClassesRoot, view))) break;
  }
  rows.SetView32(false);
}

}  // namespace

void ReadFileTypes(const TReaderContext& context, TRowCollector& rows) {
  ForEachClass(rows, [&](const TKeyView& view, const StringList& names) {
    for (const std::string& name : names) {
      const std::string key = Below(view.Path, name);
      if (name.empty() || name[0] != '.' || !KeyPresent(kHkeyClassesRoot, key)) continue;
      // The no-value text shows as the language gives it.
      const std::string type = ValueText(kHkeyClassesRoot, key, "");
      if (!rows.AddRow(CapitalizeWords(name), {type.empty() ? context.texts.noValue : CapitalizeWords(type)}))
        return false;
    }
    return true;
  });
}

void ReadNewFileEntries(const TReaderContext& context, TRowCollector& rows) {
  ForEachClass(rows, [&](const TKeyView& view, const StringList& names) {
    for (const std::string& name : names) {
      if (rows.Aborted()) return false;
      const std::string key = Below(view.Path, name);
      if (SameText(name, ".lnk") || !KeyPresent(kHkeyClassesRoot, key + "\\ShellNew")) continue;
      const std::string program = AssociatedProgram(context, name);
      const std::string type = ValueText(kHkeyClassesRoot, key, "");
      if (program.empty() || type.empty()) continue;
      if (!rows.AddRow(CapitalizeWords(name), {type, program})) return false;
    }
    return true;
  });
}

void ReadShellVerbs(const TReaderContext& context, TRowCollector& rows) {
  if (!ListShellVerbs(context, "Directory", context.texts.directory, rows) ||
      !ListShellVerbs(context, "*", context.texts.allFiles, rows))
    return;
  ForEachClass(rows, [&](const TKeyView& view, const StringList& classes) {
    // The leading short names are the extensions and "*": skipped.
    size_t first = 0;
    while (first < classes.size() && classes[first].size() < 5) ++first;
    for (size_t i = first; i < classes.size(); ++i) {
      const std::string shell = Below(view.Path, classes[i]) + "\\Shell";
      for (const std::string& verb : SubKeyNames(kHkeyClassesRoot, shell)) {
        const std::string command = ValueText(kHkeyClassesRoot, shell + "\\" + verb + "\\Command", "");
        const std::string shown = command.empty() ? context.texts.unknown : ShownCommand(command);
        if (!rows.AddRow(classes[i], {CapitalizeWords(verb), shown})) return false;
      }
      if (rows.Aborted()) return false;
    }
    return true;
  });
}

void ReadOpenWithEntries(const TReaderContext&, TRowCollector& rows) {
  // Every system from Windows 2000 on honours the "NoOpenWith" marker, so
  // the list is read whatever the version.
  for (const TKeyView& view : ListedViews(kHkeyClassesRoot, "Applications")) {
    rows.SetView32(view.View32);
    for (const std::string& application : ViewSubKeyNames(kHkeyClassesRoot, view)) {
      const std::string key = Below(view.Path, application);
      if (ValuePresent(kHkeyClassesRoot, key, "NoOpenWith")) continue;
      const std::string friendly = ValueText(kHkeyClassesRoot, key + "\\Shell", "FriendlyCache");
      if (!rows.AddRow(friendly.empty() ? CapitalizeWords(application) : friendly, std::string())) return;
    }
  }
  rows.SetView32(false);
}

}  // namespace vp
