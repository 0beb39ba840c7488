#include "cli/ScanCommand.h"

#include "files/StringTools.h"
#include "scanner/Dispatcher.h"
#include "scanner/ScanDriver.h"
#include "settings/IgnoreList.h"
#include "settings/Translator.h"

namespace vp::cli {

namespace {

// The folder part of a program path, with a trailing backslash; "" when the
// path has no folder.
std::string FolderOf(const std::string& path) {
  const size_t slash = path.find_last_of("\\/");
  if (slash == std::string::npos) return {};
  std::string folder = path.substr(0, slash + 1);
  for (char& c : folder)
    if (c == '/') c = '\\';
  return folder;
}

}  // namespace

int RunScanCommand(const std::vector<std::string>& arguments, const std::string& programPath,
                   std::ostream& out, std::ostream& err) {
  bool deep = false;
  bool reportIgnored = false;
  std::string folder = FolderOf(programPath);
  for (size_t i = 0; i < arguments.size(); ++i) {
    if (arguments[i] == "--deep") {
      deep = true;
    } else if (arguments[i] == "--ignored") {
      reportIgnored = true;
    } else if (arguments[i] == "--folder" && i + 1 < arguments.size()) {
      folder = EnsureTrailing(arguments[++i], '\\');
    } else {
      err << "veltaro scan: unknown argument " << arguments[i] << '\n';
      return 2;
    }
  }

  TScanRequest request;
  request.deep = deep;
  request.options.ReportIgnored = reportIgnored;
  std::optional<StringList> ignoreList = LoadMergedIgnoreList(folder + "Data");
  if (!ignoreList) {
    err << "veltaro scan: cannot read the ignore lists in " << folder << "Data\n";
    return 2;
  }
  request.ignoreList = std::move(*ignoreList);
  TTranslator translator;
  translator.LoadFile(folder + "Languages\\English.lng");
  request.language = MakeCleanerLanguage([&](std::string_view id) { return translator.Lookup(id); });

  TQueueDispatcher dispatcher;
  TScanDriver driver(dispatcher);
  driver.OnItem = [&](const TNewItem& item) {
    out << item.FullPath << '\t' << item.ValueName << '\t' << item.Problem << '\n';
  };
  if (!driver.Start(request)) {
    err << "veltaro scan: the scan did not start\n";
    return 2;
  }
  driver.Wait();
  out << "Keys analyzed: " << driver.KeysAnalyzed() << "\nValues analyzed: " << driver.ValuesAnalyzed()
      << "\nInvalid items: " << driver.InvalidItems() << "\nSeconds: " << driver.ElapsedSeconds() << '\n';
  return 0;
}

}  // namespace vp::cli
