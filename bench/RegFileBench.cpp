// The .reg file text of a backup set: formatting one key's values as the
// export writes them, and parsing the file back as the restore reads it.
// One key with VP_BENCH_VALUES values (100,000 by default), a fifth each of
// strings, expandable strings, multi-strings, DWORDs and binary data.

#include <benchmark/benchmark.h>

#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "platform/Platform.h"
#include "platform/Registry.h"
#include "platform/sim/SimMachine.h"
#include "registry/RegExportText.h"
#include "registry/RegFile.h"

namespace {

struct Value {
  std::string name;
  uint32_t type = 0;
  std::string data;
};

int ValueCount() {
  const char* text = std::getenv("VP_BENCH_VALUES");
  return text != nullptr ? std::atoi(text) : 100000;
}

void InstallMachine() {
  static vp::platform::sim::SimMachine* machine = [] {
    auto* m = new vp::platform::sim::SimMachine;
    vp::platform::Install(m->Services());
    return m;
  }();
  (void)machine;
}

const std::vector<Value>& Values() {
  static const std::vector<Value> values = [] {
    std::vector<Value> out;
    const int count = ValueCount();
    for (int i = 0; i < count; ++i) {
      Value value;
      value.name = "Value " + std::to_string(i);
      const std::string text = "C:\\Program Files\\Product " + std::to_string(i % 97) + "\\bin\\tool.exe";
      switch (i % 5) {
        case 0:
          value.type = vp::platform::kRegSz;
          value.data = text + '\0';
          break;
        case 1:
          value.type = vp::platform::kRegExpandSz;
          value.data = "%ProgramFiles%\\Product\\" + std::to_string(i) + '\0';
          break;
        case 2:
          value.type = vp::platform::kRegMultiSz;
          value.data = text + '\0' + "second entry" + '\0' + '\0';
          break;
        case 3:
          value.type = vp::platform::kRegDword;
          value.data = std::string("\x01\x02\x03", 3) + static_cast<char>(i & 0xFF);
          break;
        default:
          value.type = vp::platform::kRegBinary;
          for (int b = 0; b < 48; ++b) value.data.push_back(static_cast<char>((i * 31 + b) & 0xFF));
          break;
      }
      out.push_back(std::move(value));
    }
    return out;
  }();
  return values;
}

std::string EntriesText() {
  std::string text = "Windows Registry Editor Version 5.00\r\n\r\n[HKEY_CURRENT_USER\\Software\\Bench]\r\n";
  for (const auto& value : Values()) text += *vp::ValueLines(value.name, value.type, value.data);
  return text;
}

void BM_FormatValues(benchmark::State& state) {
  InstallMachine();
  const auto& values = Values();
  for (auto _ : state) {
    size_t size = 0;
    for (const auto& value : values) size += vp::ValueLines(value.name, value.type, value.data)->size();
    benchmark::DoNotOptimize(size);
  }
  state.SetItemsProcessed(state.iterations() * static_cast<int64_t>(values.size()));
}

void BM_WideEntries(benchmark::State& state) {
  InstallMachine();
  const std::string text = EntriesText();
  for (auto _ : state) benchmark::DoNotOptimize(vp::EntriesFileBytes(text, true, true));
  state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(text.size() * 2));
}

void BM_ParseEntries(benchmark::State& state) {
  InstallMachine();
  const std::string bytes = vp::EntriesFileBytes(EntriesText(), true, true);
  size_t operations = 0;
  for (auto _ : state) {
    const auto contents = vp::TRegFileReader::Parse(bytes);
    if (!contents.Clean()) state.SkipWithError("the generated file did not parse cleanly");
    operations = contents.operations.size();
  }
  // One operation for the key line and one per value: fewer means a value was lost.
  state.counters["operations"] = static_cast<double>(operations);
  state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(bytes.size()));
}

}  // namespace

BENCHMARK(BM_FormatValues)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_WideEntries)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ParseEntries)->Unit(benchmark::kMillisecond);

BENCHMARK_MAIN();
