#include "cli/ScanSession.h"

#include <algorithm>
#include <chrono>
#include <sstream>

#include "core/Dispatcher.h"
#include "files/FileTools.h"
#include "platform/Platform.h"
#include "platform/System.h"
#include "scanner/FindingTexts.h"
#include "scanner/ScanDriver.h"
#include "settings/IgnoreList.h"
#include "settings/Translator.h"

namespace vp::cli {

namespace {

constexpr const char* kDefaultTabCaption = "Registry cleaner";
constexpr int kCleanerTabIndex = 9;

// Live display on a terminal: one line redrawn in place, padded so a
// shorter line covers a longer one.
class ProgressLine {
 public:
  ProgressLine(std::ostream& err, bool terminal) : err_(err), terminal_(terminal) {}

  void Show(const TScanDriver& driver, bool final) {
    const auto now = std::chrono::steady_clock::now();
    const auto interval = terminal_ ? std::chrono::milliseconds(250) : std::chrono::milliseconds(5000);
    if (!final && started_ && now - last_ < interval) return;
    started_ = true;
    last_ = now;
    std::ostringstream line;
    line << "keys " << driver.KeysAnalyzed() << ", values " << driver.ValuesAnalyzed() << ", problems "
         << driver.InvalidItems() << ", " << driver.ElapsedSeconds() << " s";
    std::string text = line.str();
    if (terminal_) {
      const size_t width = text.size();
      if (text.size() < shownWidth_) text.append(shownWidth_ - text.size(), ' ');
      shownWidth_ = width;
      err_ << '\r' << text;
      if (final) err_ << '\n';
    } else {
      err_ << "scan: " << text << '\n';
    }
    err_.flush();
  }

 private:
  std::ostream& err_;
  const bool terminal_;
  bool started_ = false;
  size_t shownWidth_ = 0;
  std::chrono::steady_clock::time_point last_;
};

}  // namespace

std::optional<ScanTexts> LoadScanTexts(const CommandContext& context) {
  std::string error;
  const std::string file = ChooseLanguageFile(context.folders.DataFolder, context.folders.LanguagesFolder, "",
                                              [&](const std::string& message) { error = message; });
  TTranslator translator;
  if (!error.empty() || !translator.LoadFile(file)) {
    context.err << "veltaro: cannot read the language file " << file << '\n';
    return std::nullopt;
  }
  ScanTexts texts;
  texts.languageFile = file;
  texts.language = MakeCleanerLanguage([&](std::string_view id) { return translator.Lookup(id); });
  const StringList tabs =
      SplitListValue(translator.Lookup("mainform." + ComponentKey(ComponentClass::TabControl, "TabControl")));
  texts.tabCaption = tabs.size() > kCleanerTabIndex ? tabs[kCleanerTabIndex] : kDefaultTabCaption;
  if (texts.language.Text(kTextWholeKey).empty()) {
    context.err << "veltaro: the language file " << file << " has no cleaner texts\n";
    return std::nullopt;
  }
  return texts;
}

std::optional<ScanResult> RunScan(const CommandContext& context, const ScanChoice& choice,
                                  const ScanTexts& texts) {
  if (!FolderExistsChecked(context.folders.DataFolder)) {
    context.err << "veltaro: the data folder " << context.folders.DataFolder << " does not exist\n";
    return std::nullopt;
  }
  std::optional<StringList> ignoreList = LoadMergedIgnoreList(context.folders.DataFolder);
  if (!ignoreList) {
    context.err << "veltaro: cannot read the ignore lists in " << context.folders.DataFolder << '\n';
    return std::nullopt;
  }
  TScanRequest request;
  request.deep = choice.deep;
  request.areas = choice.areas;
  request.ignoreList = std::move(*ignoreList);
  request.language = texts.language;
  request.options.ReportIgnored = choice.showIgnored;

  TQueueDispatcher dispatcher;
  TScanDriver driver(dispatcher);
  if (!driver.Start(request)) {
    context.err << "veltaro: the scan did not start\n";
    return std::nullopt;
  }
  ProgressLine progress(context.err, context.errIsTerminal);
  ScanResult result;
  dispatcher.PumpUntil([&] {
    if (!result.cancelled && context.interrupted != nullptr && context.interrupted->load()) {
      result.cancelled = true;
      driver.Cancel();
    }
    progress.Show(driver, false);
    return !driver.Running();
  });
  driver.Wait();
  progress.Show(driver, true);

  result.items = driver.Items();
  SortFindings(result.items, texts.language);
  result.keys = driver.KeysAnalyzed();
  result.values = driver.ValuesAnalyzed();
  result.seconds = driver.ElapsedSeconds();
  return result;
}

void SortFindings(std::vector<TNewItem>& items, const TCleanerLanguage& texts) {
  struct Keyed {
    std::string key;
    std::string entry;
    std::string problem;
    const TNewItem* item;
  };
  std::vector<Keyed> keyed;
  keyed.reserve(items.size());
  for (const auto& item : items)
    keyed.push_back(
        {platform::Sys().LowerCase(item.FullPath), EntryText(item, texts), ProblemText(item, texts), &item});
  std::sort(keyed.begin(), keyed.end(), [](const Keyed& a, const Keyed& b) {
    if (a.key != b.key) return a.key < b.key;
    if (a.entry != b.entry) return a.entry < b.entry;
    return a.problem < b.problem;
  });
  std::vector<TNewItem> sorted;
  sorted.reserve(items.size());
  for (const auto& entry : keyed) sorted.push_back(*entry.item);
  items = std::move(sorted);
}

bool ParseScanOption(const Arguments& arguments, size_t& i, ScanChoice& choice, std::string& error) {
  const std::string& argument = arguments[i];
  if (argument == "--deep") {
    choice.deep = true;
  } else if (argument == "--show-ignored") {
    choice.showIgnored = true;
  } else if (argument == "--area") {
    int area = 0;
    const std::string value = i + 1 < arguments.size() ? arguments[++i] : "";
    std::istringstream in(value);
    if (!(in >> area) || !in.eof() || area < 1 || area > kAreaLastDeep) {
      error = "--area takes a number from 1 to 16, not \"" + value + "\"";
    } else if (std::find(choice.areas.begin(), choice.areas.end(), area) == choice.areas.end()) {
      choice.areas.push_back(area);
    }
  } else {
    return false;
  }
  return true;
}

}  // namespace vp::cli
