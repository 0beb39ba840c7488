// The registry benchmarks of the Windows build, run under Wine against the
// real registry of a prefix: the scan against a bare walk through the
// registry interface, and a backup set and its restore against the system's
// registry editor doing the same export and import. Google Benchmark is not
// built for mingw; each figure here is the median of N interleaved pairs.
//
//   WineBench load FILE.reg             applies an import file (set-up, clean-up)
//   WineBench scan N                    N pairs: bare walk, normal scan
//   WineBench walk N                    N bare walks, with their registry calls
//   WineBench once [deep]              one scan alone: time and registry calls
//   WineBench areas [N...]              each area (or those named) alone: time and registry calls
//   WineBench backup N KEY WORKFOLDER   N pairs each: export of KEY, then its restore
//   WineBench fix N WORKFOLDER          Fix of N findings (vendor keys planted and removed)
//   WineBench manager N                 N pairs: bare walk of the manager lists' keys, the nine
//                                       fills together; then each tab's fill alone
//
// KEY is a full key path ("HKEY_CURRENT_USER\Software\..."); WORKFOLDER a
// Windows folder for the backup sets and the editor's files.

#include <process.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <string>
#include <vector>

#include "backup/BackupSets.h"
#include "backup/BackupTool.h"
#include "files/FileTools.h"
#include "platform/FileSystem.h"
#include "platform/Platform.h"
#include "platform/System.h"
#include "registry/FastRegistry.h"
#include "registry/RegExport.h"
#include "registry/RegExportText.h"
#include "registry/RegFile.h"
#include "support/BenchWork.h"
#include "support/CountingFiles.h"
#include "support/CountingRegistry.h"
#include "support/FixWork.h"
#include "support/ManagerWork.h"

namespace {

using Clock = std::chrono::steady_clock;

double SecondsOf(const std::function<void()>& work) {
  const auto start = Clock::now();
  work();
  return std::chrono::duration<double>(Clock::now() - start).count();
}

double Median(std::vector<double> values) {
  std::sort(values.begin(), values.end());
  const size_t n = values.size();
  return n == 0 ? 0 : (n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2);
}

// Prints one comparison: both medians, the median of the pair ratios, and
// every pair so that the spread can be seen.
void PrintPairs(const char* what, const char* ours, const char* theirs, const std::vector<double>& a,
                const std::vector<double>& b) {
  std::vector<double> ratios;
  for (size_t i = 0; i < a.size(); ++i) ratios.push_back(a[i] / b[i]);
  std::printf("%s: %s median %.3f s, %s median %.3f s, ratio (median of pairs) %.3f\n", what, ours, Median(a),
              theirs, Median(b), Median(ratios));
  for (size_t i = 0; i < a.size(); ++i)
    std::printf("  pair %zu: %.3f s / %.3f s = %.3f\n", i + 1, a[i], b[i], ratios[i]);
}

int Load(const std::string& file) {
  vp::TRegFileContents contents;
  std::vector<vp::TRegFileProblem> problems;
  const double seconds = SecondsOf([&] {
    contents = vp::TRegFileReader::Load(file);
    problems = vp::TRegFileReader::Apply(contents.operations);
  });
  std::printf("load %s: %zu operations in %.2f s, %zu unreadable lines, %zu failed\n", file.c_str(),
              contents.operations.size(), seconds, contents.problems.size(), problems.size());
  for (size_t i = 0; i < problems.size() && i < 5; ++i)
    std::printf("  line %d: %s\n", problems[i].line, problems[i].reason.c_str());
  return contents.Clean() && problems.empty() ? 0 : 1;
}

int Scan(int pairs) {
  std::vector<double> walks, scans;
  vp::bench::TWalkTotals walk;
  vp::bench::TScanTotals scan;
  for (int i = 0; i < pairs; ++i) {
    walks.push_back(SecondsOf([&] { walk = vp::bench::BareWalkAll(); }));
    scans.push_back(SecondsOf([&] { scan = vp::bench::RunScan(false); }));
  }
  std::printf("bare walk: %lld keys, %lld values, %lld bytes; %.0f keys/s\n",
              static_cast<long long>(walk.keys), static_cast<long long>(walk.values),
              static_cast<long long>(walk.bytes), static_cast<double>(walk.keys) / Median(walks));
  std::printf("normal scan: %d threads, %lld keys and %lld values analysed, %lld items; %.0f keys/s\n",
              scan.threads, static_cast<long long>(scan.keys), static_cast<long long>(scan.values),
              static_cast<long long>(scan.items), static_cast<double>(scan.keys) / Median(scans));
  PrintPairs("scan", "normal scan", "bare walk", scans, walks);
  return 0;
}

// The bare walk alone, and what it asks of the registry: the figure every
// scan ratio is taken against, and a check that a registry call costs what
// it did in an earlier session.
int Walk(int runs) {
  std::vector<double> times;
  vp::bench::TWalkTotals walk;
  for (int i = 0; i < runs; ++i) times.push_back(SecondsOf([&] { walk = vp::bench::BareWalkAll(); }));
  vp::bench::TCountedCalls counted;
  vp::bench::BareWalkAll();
  const auto& calls = counted.Registry();
  std::printf(
      "bare walk: %lld keys, %lld values; median %.3f s (%.0f keys/s); %lld registry calls, %.1f us each "
      "(%s)\n",
      static_cast<long long>(walk.keys), static_cast<long long>(walk.values), Median(times),
      static_cast<double>(walk.keys) / Median(times), static_cast<long long>(calls.Total()),
      Median(times) * 1e6 / static_cast<double>(calls.Total()), calls.Describe().c_str());
  for (size_t i = 0; i < times.size(); ++i) std::printf("  run %zu: %.3f s\n", i + 1, times[i]);
  return 0;
}

// One whole scan alone, with the registry calls it made.
int Once(bool deep) {
  vp::bench::TCountedTests tests;
  vp::bench::TCountedCalls counted;
  vp::bench::TScanTotals totals;
  const double seconds = SecondsOf([&] { totals = vp::bench::RunScan(deep); });
  const auto& calls = counted.Registry();
  std::printf("%s scan: %.3f s, %lld keys, %lld values, %lld items, %lld registry calls (%s)\n",
              deep ? "deep" : "normal", seconds, static_cast<long long>(totals.keys),
              static_cast<long long>(totals.values), static_cast<long long>(totals.items),
              static_cast<long long>(calls.Total()), calls.Describe().c_str());
  std::printf("%lld existence tests (%lld missing) took %.3f s in all threads\n",
              static_cast<long long>(tests.Files().Tests()), static_cast<long long>(tests.Files().Missing()),
              tests.Files().TestSeconds());
  return 0;
}

// Each area of a deep scan alone, on its one thread: where the time of a
// whole scan goes, and how many registry calls each area makes.
int Areas(std::vector<int32_t> areas) {
  if (areas.empty())
    for (int32_t area = 1; area <= 16; ++area) areas.push_back(area);
  int64_t allCalls = 0;
  double allSeconds = 0;
  for (int32_t area : areas) {
    vp::bench::TCountedTests tests;
    vp::bench::TCountedCalls counted;
    vp::bench::TScanTotals totals;
    const double seconds = SecondsOf([&] { totals = vp::bench::RunScan(true, {area}); });
    const auto& calls = counted.Registry();
    allCalls += calls.Total();
    allSeconds += seconds;
    std::printf("area %2d: %8.3f s, %8lld keys, %8lld values, %6lld items, %9lld calls (%s)\n", area, seconds,
                static_cast<long long>(totals.keys), static_cast<long long>(totals.values),
                static_cast<long long>(totals.items), static_cast<long long>(calls.Total()),
                calls.Describe().c_str());
    if (tests.Files().Tests() > 0)
      std::printf("         %lld existence tests (%lld missing) took %.3f s\n",
                  static_cast<long long>(tests.Files().Tests()),
                  static_cast<long long>(tests.Files().Missing()), tests.Files().TestSeconds());
  }
  std::printf("all areas one after another: %.3f s, %lld calls\n", allSeconds,
              static_cast<long long>(allCalls));
  return 0;
}

// The peer: the system's registry editor, started and waited for.
bool RunEditor(const char* option, const std::string& a, const std::string& b = {}) {
  static const std::string editor = vp::platform::Sys().WindowsFolder() + "\\regedit.exe";
  const intptr_t code =
      b.empty() ? _spawnl(_P_WAIT, editor.c_str(), "regedit.exe", option, a.c_str(), nullptr)
                : _spawnl(_P_WAIT, editor.c_str(), "regedit.exe", option, a.c_str(), b.c_str(), nullptr);
  if (code != 0)
    std::printf("%s %s: exit code %d, errno %d\n", editor.c_str(), option, static_cast<int>(code), errno);
  return code == 0;
}

int CountValues(const vp::TKeyAddress& address) {
  auto registry = vp::OpenReadOnly(address.Root, address.Path);
  if (!registry) return -1;
  std::vector<std::string> names;
  registry->GetValueNames(names);
  return static_cast<int>(names.size());
}

void DeleteKey(const vp::TKeyAddress& address) {
  vp::TFastRegistry registry;
  registry.SetRootKey(address.Root);
  registry.DeleteKey("\\" + address.Path);
}

int Backup(int pairs, const std::string& fullKey, std::string work) {
  if (!work.empty() && work.back() != '\\') work += '\\';
  const std::optional<vp::TKeyAddress> address = vp::TKeyAddress::Parse(fullKey);
  if (!address || address->Path.empty()) {
    std::printf("%s is no key below a root\n", fullKey.c_str());
    return 1;
  }
  const int values = CountValues(*address);
  if (values <= 0) {
    std::printf("the key %s is missing or empty\n", fullKey.c_str());
    return 1;
  }
  const std::string backups = work + "Backups\\";
  const std::string peerFile = work + "peer.reg";
  vp::platform::Files().MakeFolder(backups);

  std::vector<double> ours, theirs, ourRestores, theirRestores, parsing;
  bool failed = false;
  for (int i = 0; i < pairs; ++i) {
    std::string setFolder;
    bool added = false;
    ours.push_back(SecondsOf([&] {
      vp::TBackupTool tool;
      added = tool.CreateBackup(backups, "benchmark", 9, "1.2", "Veltaro Pro") && tool.AddKey(*address);
      setFolder = tool.SetFolder();
    }));
    vp::platform::Files().RemoveFile(peerFile);
    theirs.push_back(SecondsOf([&] { RunEditor("/e", peerFile, fullKey); }));
    const auto peerBytes = vp::platform::Files().ReadWholeFile(peerFile);
    const auto ourBytes = vp::platform::Files().ReadWholeFile(setFolder + "Entries.reg");
    if (!added || !peerBytes || !ourBytes) {
      std::printf("export failed: ours %d, editor's file %s\n", added ? 1 : 0,
                  peerBytes ? "present" : "absent");
      return 1;
    }
    if (i == 0)
      std::printf("export of %d values: set file %zu bytes, editor's file %zu bytes\n", values,
                  ourBytes->size(), peerBytes->size());

    // Each restore starts from the key removed, and must bring back every value.
    DeleteKey(*address);
    vp::TRestoreReport report;
    ourRestores.push_back(SecondsOf([&] { report = vp::RestoreBackupSet(setFolder); }));
    const int restored = CountValues(*address);
    DeleteKey(*address);
    theirRestores.push_back(SecondsOf([&] { RunEditor("/s", peerFile); }));
    const int imported = CountValues(*address);
    if (!report.Complete() || restored != values || imported != values) {
      std::printf("restore failed: ours %s with %d values, editor's import %d values (of %d)\n",
                  report.Complete() ? "complete" : "incomplete", restored, imported, values);
      failed = true;
    }
    parsing.push_back(SecondsOf([&] { vp::TRegFileReader::Load(setFolder + "Entries.reg"); }));
    vp::DeleteBackupSet(setFolder);
  }
  PrintPairs("backup export", "backup set", "regedit /e", ours, theirs);
  // Where the time goes: reading the key (one call per value), and parsing
  // the set's file before a restore applies it.
  std::vector<double> reading;
  for (int i = 0; i < pairs; ++i) {
    auto registry = vp::OpenReadOnly(address->Root, address->Path);
    std::vector<vp::TRegValue> read;
    reading.push_back(SecondsOf([&] {
      if (registry) registry->GetValuesComplete(read);
    }));
  }
  std::printf("  of which reading the values: %.3f s (median)\n", Median(reading));
  // The rest of the export: the key's text, and that text as the set's
  // UTF-16 bytes, each without the file.
  std::vector<double> texts, encodings, creations, appends;
  for (int i = 0; i < pairs; ++i) {
    vp::ExportText out;
    texts.push_back(SecondsOf([&] { vp::ExportKeyTree(*address, out); }));
    std::string bytes;
    encodings.push_back(SecondsOf([&] { bytes = vp::EntriesFileBytes(out.text, true, false); }));
    vp::TBackupTool tool;
    creations.push_back(SecondsOf([&] { tool.CreateBackup(backups, "benchmark", 9, "1.2", "Veltaro Pro"); }));
    const std::string scratch = work + "append.bin";
    appends.push_back(SecondsOf([&] { vp::platform::Files().AppendToFile(scratch, bytes); }));
    vp::platform::Files().RemoveFile(scratch);
    vp::DeleteBackupSet(tool.SetFolder());
  }
  std::printf(
      "  reading the values and making their text: %.3f s; the text as UTF-16: %.3f s; an empty set: "
      "%.3f s; appending the bytes to a file (flushed): %.3f s (medians)\n",
      Median(texts), Median(encodings), Median(creations), Median(appends));
  PrintPairs("restore", "restore of the set", "regedit /s", ourRestores, theirRestores);
  std::printf("  of which reading and parsing the set's file: %.3f s (median)\n", Median(parsing));
  vp::platform::Files().RemoveFile(peerFile);
  return failed ? 1 : 0;
}

// One Fix of `count` findings into a set below the work folder: the time,
// and the time per finding to compare with another count.
int Fix(int count, const std::string& work) {
  const std::string key = "Software\\VeltaroFixBench";
  const std::string backups = work + "\\FixBenchBackups\\";
  vp::platform::Files().MakeFolder(backups.substr(0, backups.size() - 1));
  const auto items = vp::bench::PlantVendorFindings(key, count);
  int failed = 0;
  const double seconds = vp::bench::TimeFix(items, backups, failed);
  vp::bench::RemoveVendorKeys(key);
  vp::platform::Files().RemoveFolder(backups.substr(0, backups.size() - 1));
  std::printf("fix of %d findings: %.3f s, %.1f us per finding, %d failed\n", count, seconds,
              seconds * 1e6 / count, failed);
  return failed == 0 ? 0 : 1;
}

// The manager lists: the nine fills together (the window's start) against a
// bare walk of the keys their readers look at, then each tab's reader alone.
int Manager(int pairs) {
  std::vector<double> walks, fills;
  vp::bench::TWalkTotals walk;
  int64_t rows = 0;
  for (int i = 0; i < pairs; ++i) {
    walks.push_back(SecondsOf([&] { walk = vp::bench::BareWalkManagerKeys(); }));
    fills.push_back(SecondsOf([&] { rows = vp::bench::FillAllTabs(); }));
  }
  std::printf("bare walk of the manager keys: %lld keys, %lld values\n", static_cast<long long>(walk.keys),
              static_cast<long long>(walk.values));
  std::printf("nine fills together: %lld rows\n", static_cast<long long>(rows));
  PrintPairs("manager", "nine fills", "bare walk", fills, walks);
  for (int tab = 0; tab < 9; ++tab) {
    std::vector<double> times;
    int64_t tabRows = 0;
    for (int i = 0; i < pairs; ++i) times.push_back(SecondsOf([&] { tabRows = vp::bench::FillTab(tab); }));
    std::printf("  tab %d alone: median %.3f s, %lld rows, %.2fx the walk\n", tab, Median(times),
                static_cast<long long>(tabRows), Median(times) / Median(walks));
  }
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  vp::platform::Install(vp::platform::DefaultServices());
  const std::vector<std::string> args(argv + 1, argv + argc);
  if (args.size() == 2 && args[0] == "load") return Load(args[1]);
  if (args.size() == 2 && args[0] == "scan") return Scan(std::max(1, std::atoi(args[1].c_str())));
  if (args.size() == 2 && args[0] == "walk") return Walk(std::max(1, std::atoi(args[1].c_str())));
  if (!args.empty() && args[0] == "areas") {
    std::vector<int32_t> areas;
    for (size_t i = 1; i < args.size(); ++i) areas.push_back(std::atoi(args[i].c_str()));
    return Areas(areas);
  }
  if (!args.empty() && args.size() <= 2 && args[0] == "once")
    return Once(args.size() == 2 && args[1] == "deep");
  if (args.size() == 2 && args[0] == "manager") return Manager(std::max(1, std::atoi(args[1].c_str())));
  if (args.size() == 3 && args[0] == "fix") return Fix(std::max(1, std::atoi(args[1].c_str())), args[2]);
  if (args.size() == 4 && args[0] == "backup")
    return Backup(std::max(1, std::atoi(args[1].c_str())), args[2], args[3]);
  std::fprintf(stderr,
               "usage: WineBench load FILE.reg | scan N | walk N | once [deep] | areas [N...] | backup N KEY "
               "WORKFOLDER | fix N WORKFOLDER | manager N\n");
  return 2;
}
