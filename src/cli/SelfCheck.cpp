#include "cli/SelfCheck.h"

#include "platform/FileSystem.h"
#include "platform/Platform.h"
#include "platform/System.h"

namespace vp::cli {

int RunSelfCheck(std::ostream& out) {
  const auto& system = platform::Sys();
  const auto version = system.Version();
  out << "Windows version: " << version.major << '.' << version.minor << " (build " << version.build << ")\n";

  std::string fixed;
  for (char letter : platform::Files().LogicalDriveLetters()) {
    if (platform::Files().DriveTypeOf(letter) != platform::DriveType::Fixed) continue;
    if (!fixed.empty()) fixed += ' ';
    fixed += letter;
    fixed += ':';
  }
  out << "Fixed drives: " << (fixed.empty() ? "none" : fixed) << '\n';
  out << "ANSI code page: " << system.AnsiCodePage() << '\n';
  return 0;
}

}  // namespace vp::cli
