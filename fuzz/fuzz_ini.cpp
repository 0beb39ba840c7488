// The INI store's loader on arbitrary bytes: every read, a write, and the
// rewrite to memory, which must read back to the same store.
#include <fuzzer/FuzzedDataProvider.h>

#include <cstdlib>
#include <string>

#include "platform/Platform.h"
#include "platform/sim/SimMachine.h"
#include "settings/BigIni.h"

namespace {

// Stores never touch a disk here.
class NoFiles : public vp::IniFileAccess {
 public:
  ReadResult Read(const std::string&, std::string&) const override { return ReadResult::Missing; }
  bool Replace(const std::string&, std::string_view) override { return false; }
};

void Check(bool condition) {
  if (!condition) std::abort();
}

bool HeaderShaped(const std::string& line) {
  return line.size() >= 2 && line.front() == '[' && line.back() == ']';
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  static vp::platform::sim::SimMachine machine;
  vp::platform::Install(machine.Services());
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  FuzzedDataProvider input(data, size);
  const std::string section = input.ConsumeRandomLengthString(64);
  const std::string key = input.ConsumeRandomLengthString(64);
  const std::string value = input.ConsumeRandomLengthString(64);
  const std::string text = input.ConsumeRemainingBytesAsString();

  NoFiles files;
  vp::TBigIniFile ini({}, &files);
  ini.LoadText(text);

  // Every read on every section and key.
  vp::StringList sections;
  ini.ReadSections(sections);
  for (const std::string& name : sections) {
    vp::StringList keys, lines;
    ini.ReadSection(name, keys);
    ini.ReadSectionValues(name, lines);
    Check(keys.size() <= lines.size());
    for (const std::string& k : keys) {
      (void)ini.ReadString(name, k, "");
      (void)ini.ReadInteger(name, k, 0);
      (void)ini.ReadBool(name, k, false);
    }
  }

  // What was loaded is written back as it reads.
  const std::string loaded = ini.FileText();
  {
    vp::TBigIniFile again({}, &files);
    again.LoadText(loaded);
    Check(again.FileText() == loaded);
  }

  // A write, then the rewrite must hold it.
  ini.WriteString(section, key, value);
  if (!key.empty()) {
    const std::string stored = ini.ReadString(section, key, "\x01" "absent");
    Check(stored.find_first_of("\r\n") == std::string::npos);
    vp::StringList lines;
    ini.ReadSectionValues(section, lines);
    bool headerShaped = false;
    for (const std::string& line : lines) headerShaped |= HeaderShaped(line);
    if (!headerShaped && !section.empty() && section.find_first_of("\r\n") == std::string::npos) {
      vp::TBigIniFile reread({}, &files);
      reread.LoadText(ini.FileText());
      Check(reread.ReadString(section, key, "\x01" "absent") == stored);
    }
  }
  ini.DeleteKey(section, key);
  ini.EraseSection(section);
  (void)ini.FileText();
  Check(!ini.FlushFile() || !ini.Changed());
  return 0;
}
