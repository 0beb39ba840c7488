#pragma once

#include <string>
#include <string_view>

// Starting outside programs: an uninstaller, the registry editor, the text
// editor, the user's browser. The program hands them a command or a document
// and never waits for them or looks at what they do.
namespace vp::platform {

class Launcher {
 public:
  virtual ~Launcher() = default;

  // Starts a command line (the program, quoted when its path holds blanks,
  // then its arguments) with its window shown normally. False when the
  // program could not be started.
  virtual bool StartProgram(std::string_view commandLine) = 0;

  // Hands a document, program or web address to the shell with a verb
  // ("open"; empty for the default verb) and optional parameters. False when
  // the shell reports a failure.
  virtual bool ShellOpen(std::string_view verb, std::string_view target,
                         std::string_view parameters = {}) = 0;
};

// The launcher in force; one must have been installed.
Launcher& Launch();
// Installs the launcher in force, before any thread uses it.
void InstallLauncher(Launcher* launcher);
// This build's own: the real shell in the Windows build, natively one that
// records what it was asked and starts nothing. Owned by the library.
Launcher& DefaultLauncher();

}  // namespace vp::platform
