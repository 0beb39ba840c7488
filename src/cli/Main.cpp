#include <cstdio>
#include <filesystem>
#include <iostream>
#include <string>
#include <vector>

#include "cli/CommandLine.h"
#include "cli/Interrupt.h"
#include "platform/Platform.h"

#ifdef _WIN32
#include <io.h>
#include <stdlib.h>
#define VP_ISATTY(fd) _isatty(fd)
#define VP_FILENO(f) _fileno(f)
#else
#include <unistd.h>
#define VP_ISATTY(fd) isatty(fd)
#define VP_FILENO(f) fileno(f)
#endif

namespace {

// The program file's full path: the name it was started by need not say
// where it lies (a search of PATH found it).
std::string ProgramPath(const char* startedAs) {
#ifdef _WIN32
  if (_pgmptr != nullptr && *_pgmptr != 0) return _pgmptr;
#else
  std::error_code ec;
  const std::filesystem::path self = std::filesystem::read_symlink("/proc/self/exe", ec);
  if (!ec) return self.string();
#endif
  return startedAs;
}

}  // namespace

int main(int argc, char** argv) {
  try {
    vp::platform::Install(vp::platform::DefaultServices());
    vp::cli::InstallInterruptHandler();
    vp::cli::CommandLineIO io{std::cout, std::cerr, false, nullptr, {}, true};
    io.errIsTerminal = VP_ISATTY(VP_FILENO(stderr)) != 0;
    io.interrupted = &vp::cli::InterruptFlag();
    io.programPath = ProgramPath(argc > 0 ? argv[0] : "");
    io.alwaysSimulate = true;
    return vp::cli::RunCommandLine(std::vector<std::string>(argv + 1, argv + argc), io);
  } catch (...) {
    std::cerr << "veltaro: unexpected failure\n";
    return 2;
  }
}
