#include <cstring>
#include <iostream>
#include <string>
#include <string_view>
#include <vector>

#include "cli/ScanCommand.h"
#include "cli/SelfCheck.h"
#include "platform/Platform.h"

namespace {

constexpr const char* kUsage =
    "usage: veltaro <command>\n"
    "  version     print the program's version\n"
    "  selfcheck   print what the program sees of this system\n"
    "  scan [--deep] [--ignored] [--folder PROGRAM_FOLDER]\n"
    "              scan the registry and list what is invalid\n";

}  // namespace

int main(int argc, char** argv) {
  try {
    vp::platform::Install(vp::platform::DefaultServices());
    const std::string_view command = argc > 1 ? argv[1] : "";
    if (command == "version" || command == "--version") {
      std::cout << "Veltaro Pro " << VP_VERSION << '\n';
      return 0;
    }
    if (command == "scan") {
      return vp::cli::RunScanCommand(std::vector<std::string>(argv + 2, argv + argc), argv[0], std::cout,
                                     std::cerr);
    }
    if (command == "selfcheck") {
      std::cout << "Veltaro Pro " << VP_VERSION << '\n';
      return vp::cli::RunSelfCheck(std::cout);
    }
    std::cerr << kUsage;
    return 2;
  } catch (const std::exception& error) {
    std::cerr << "veltaro: " << error.what() << '\n';
    return 2;
  }
}
