// The registry file reader on arbitrary bytes: parsing must never crash and
// never report a clean file it cannot apply; applying goes to a fresh
// simulated registry each time.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "platform/Platform.h"
#include "platform/sim/SimMachine.h"
#include "platform/sim/SimRegistry.h"
#include "registry/RegFile.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static vp::platform::sim::SimMachine* machine = new vp::platform::sim::SimMachine();
  vp::platform::sim::SimRegistry registry;
  vp::platform::Services services = machine->Services();
  services.registry = &registry;
  vp::platform::Install(services);

  const vp::TRegFileContents contents =
      vp::TRegFileReader::Parse(std::string_view(reinterpret_cast<const char*>(data), size));
  if (contents.format == vp::TRegFileContents::kUnknown && !contents.operations.empty()) std::abort();
  for (const auto& operation : contents.operations)
    if (operation.line < 2 || operation.keyPath.empty()) std::abort();
  if (contents.operations.size() <= 2000) vp::TRegFileReader::Apply(contents.operations);
  return 0;
}
