// The language-file reader on arbitrary bytes: the file is loaded from a
// simulated drive, every bound message text is looked up, and list values are
// split and joined again.
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "files/StringTools.h"
#include "platform/Platform.h"
#include "platform/sim/SimMachine.h"
#include "settings/Translator.h"

namespace {

std::filesystem::path gHostFolder;

void Check(bool condition) {
  if (!condition) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  static vp::platform::sim::SimMachine machine;
  gHostFolder = std::filesystem::temp_directory_path() / ("vp-fuzz-language-" + std::to_string(::getpid()));
  std::filesystem::create_directories(gHostFolder);
  machine.Files().MapDrive('C', gHostFolder, vp::platform::DriveType::Fixed);
  vp::platform::Install(machine.Services());
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  {
    std::ofstream file(gHostFolder / "Test.lng", std::ios::binary | std::ios::trunc);
    file.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
  }
  vp::TTranslator translator;
  int errors = 0;
  translator.SetErrorHandler([&](const std::string&) { ++errors; });
  Check(translator.LoadFile("C:\\Test.lng"));
  vp::MessageTexts texts;
  texts.BindAll(translator);
  translator.TranslateAll({}, true);
  for (const std::string& id : vp::BoundMessageIds()) translator.Lookup(id);
  Check(errors == 0);  // every bound id is well formed, whatever the file says

  // List values: at most 100 pieces, each non-empty, trimmed and free of the
  // separator.
  const std::string raw(reinterpret_cast<const char*>(data), size);
  const vp::StringList items = vp::SplitListValue(raw);
  Check(items.size() <= 100);
  for (const std::string& item : items) {
    Check(!item.empty() && item == vp::Trim(item));
    Check(item.find(vp::kListValueSeparator) == std::string::npos);
  }
  return 0;
}
