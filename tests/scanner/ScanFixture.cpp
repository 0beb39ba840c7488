#include "ScanFixture.h"

#include <atomic>
#include <cstdint>

#include "platform/sim/SimMachine.h"
#include "registry/RegFile.h"
#include "support/TestSupport.h"

namespace vp::test {

namespace {

void ReplaceAll(std::string& text, const std::string& token, const std::string& replacement) {
  for (size_t at = text.find(token); at != std::string::npos; at = text.find(token, at + replacement.size()))
    text.replace(at, token.size(), replacement);
}

}  // namespace

TCleanerLanguage TestLanguage() {
  TCleanerLanguage language;
  const char* texts[TCleanerLanguage::kCount] = {
      "(empty)",      "(whole key)", "sev0",        "sev1",        "sev2",     "sev3",
      "Ignored: {1}", "Missing {1}", "com detail",  "COM default", "com ten",  "com eleven",
      "com twelve",   "File type",   "Font",        "Help file",   "App path", "Uninstall",
      "Software key", "Shared tool", "Application", "History"};
  for (int i = 0; i < TCleanerLanguage::kCount; ++i) language.Texts[static_cast<size_t>(i)] = texts[i];
  return language;
}

ShownItem Show(const TNewItem& item) {
  static const TCleanerLanguage language = TestLanguage();
  return {EntryText(item, language),   DataText(item, language),     DateText(item, language),
          ProblemText(item, language), SeverityText(item, language), DetailText(item, language)};
}

ScanFixture::ScanFixture() {
  for (const char* name : {"present.exe", "present.dll"})
    folder_.PutFile(name, HostFileBytes(DataPath(std::string("scanner/drive_c/VeltaroFixture/") + name)));
}

std::string MissingFileKeys(int count, const std::string& below) {
  std::string text = "REGEDIT4\r\n\r\n";
  for (int i = 0; i < count; ++i)
    text += "[HKEY_CURRENT_USER\\@KEY@" + below + "\\K" + std::to_string(i) +
            "]\r\n\"Path\"=\"@ROOTDATA@gone" + std::to_string(i) + ".dll\"\r\n\r\n";
  return text;
}

std::string ReadFixture(const std::string& name) {
  return HostFileBytes(DataPath("scanner/" + name));
}

::testing::AssertionResult ScanFixture::ApplyFixture(const std::string& name) const {
  const std::string text = ReadFixture(name);
  if (text.empty()) return ::testing::AssertionFailure() << "cannot read fixture " << name;
  return ApplyText(text);
}

::testing::AssertionResult ScanFixture::ApplyText(std::string text) const {
  return ApplyRegText(std::move(text), KeyPath(), Root());
}

SimScanFixture::SimScanFixture() {
  std::filesystem::create_directories(host_.Folder() / "VeltaroSim");
}

SimScanFixture::~SimScanFixture() = default;

::testing::AssertionResult SimScanFixture::ApplyFixture(const std::string& name) const {
  const std::string text = ReadFixture(name);
  if (text.empty()) return ::testing::AssertionFailure() << "cannot read fixture " << name;
  return ApplyRegText(text, keyPath_, root_);
}

std::string FillRegText(std::string text, const std::string& keyPath, const std::string& root) {
  std::string escaped;
  for (char c : root) escaped += c == '\\' ? std::string("\\\\") : std::string(1, c);
  ReplaceAll(text, "@KEY@", keyPath);
  ReplaceAll(text, "@ROOTDATA@", escaped);
  ReplaceAll(text, "@ROOT@", root);
  return text;
}

::testing::AssertionResult ApplyRegText(std::string text, const std::string& keyPath,
                                        const std::string& root) {
  const TRegFileContents contents = TRegFileReader::Parse(FillRegText(std::move(text), keyPath, root));
  if (!contents.Clean()) {
    auto failure = ::testing::AssertionFailure() << "fixture does not parse:";
    for (const auto& problem : contents.problems)
      failure << " line " << problem.line << ": " << problem.reason;
    return failure;
  }
  const auto problems = TRegFileReader::Apply(contents.operations);
  if (!problems.empty()) {
    auto failure = ::testing::AssertionFailure() << "fixture not applied:";
    for (const auto& problem : problems) failure << " line " << problem.line << ": " << problem.reason;
    return failure;
  }
  return ::testing::AssertionSuccess();
}

int ScanRun::Count(const std::string& keyPathEnd, const char* name) const {
  int count = 0;
  for (const TNewItem& item : items) {
    const bool keyMatches =
        item.KeyPath.size() >= keyPathEnd.size() &&
        item.KeyPath.compare(item.KeyPath.size() - keyPathEnd.size(), keyPathEnd.size(), keyPathEnd) == 0;
    if (keyMatches && (name == nullptr || Show(item).entry == name)) ++count;
  }
  return count;
}

ScanRun RunSweeper(const TScanOptions& options, const std::function<void(TSweeper&, TNewItem&)>& onItem,
                   const TCleanerLanguage& language) {
  ScanRun run;
  TQueueDispatcher dispatcher;
  std::atomic<int64_t> values{0};
  std::atomic<int64_t> keys{0};
  {
    TSweeper sweeper(options, dispatcher);
    sweeper.SetLanguage(language);
    sweeper.OnItem = [&](TSweeper& sender, TNewItem& item) {
      run.items.push_back(item);
      if (onItem) onItem(sender, item);
    };
    sweeper.OnCount = [&](TSweeper&, int32_t v, int32_t k) {
      values.fetch_add(v);
      keys.fetch_add(k);
    };
    sweeper.OnTotals = [&](TSweeper&, int32_t v, int32_t k) {
      ++run.totalsCalls;
      run.totalValues = v;
      run.totalKeys = k;
    };
    sweeper.OnFinished = [&](TSweeper&) { ++run.finished; };
    sweeper.Start();
    sweeper.WaitFor();
    run.currentUserHive = sweeper.CurrentUserHive();
  }
  run.countedValues = values.load();
  run.countedKeys = keys.load();
  return run;
}

TScanOptions WalkOptions(const std::string& keyPath) {
  TScanOptions options;
  options.Mode = kAreaCustomKey;
  options.CustomRoot = platform::kHkeyCurrentUser;
  options.CustomKey = keyPath;
  return options;
}

}  // namespace vp::test
