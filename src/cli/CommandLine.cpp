#include "cli/CommandLine.h"

#include <filesystem>
#include <memory>
#include <optional>
#include <vector>

#include "cli/BackupsCommand.h"
#include "cli/CacheCommand.h"
#include "cli/FixCommand.h"
#include "cli/ListCommand.h"
#include "cli/MachineMode.h"
#include "cli/RemoveCommand.h"
#include "cli/ScanCommand.h"
#include "cli/SelfCheck.h"
#include "settings/ProgramFolders.h"

namespace vp::cli {

const char* const kUsage =
    "usage: veltaro [GLOBAL OPTIONS] COMMAND [OPTIONS]\n"
    "commands:\n"
    "  scan [--deep] [--area N ...] [--json] [--show-ignored]\n"
    "      scan the registry; findings on standard output as \"Key | Entry | Problem\"\n"
    "      or one JSON object per line; progress on standard error.\n"
    "      Exit status: 0 nothing found, 1 something found, 2 error or interrupted.\n"
    "  fix (--all | --select FILE) [--description TEXT] [--dry-run] [--deep] [--area N ...]\n"
    "      scan again, back up and repair or delete every finding (--all) or those\n"
    "      FILE lists as \"Key | Entry\" lines (rows of the scan table serve as well).\n"
    "  list TAB [--json]\n"
    "      the rows of a manager list, one per line as \"caption | column | ...\" or as\n"
    "      JSON objects; TAB is 0 to 8 or one of software startup uninstall filetypes\n"
    "      newfile verbs iemenu openwith search.\n"
    "  remove TAB (--all | --select FILE) [--description TEXT] [--dry-run]\n"
    "      read the tab's list again, back up and remove every row (--all) or those\n"
    "      FILE lists as list prints them; each row gets a backup set of its own.\n"
    "  backups list | show ID | restore [--force] ID... | remove ID...\n"
    "      restore refuses a set that was never finished or was changed since\n"
    "      (it says what differs); --force restores it as it is.\n"
    "  cache build | info\n"
    "  selfcheck    print what the program sees of this system\n"
    "  version      print the program's version\n"
    "global options (before or after the command):\n"
    "  --folder DIR   the program folder holding Data\\, Languages\\ and Backups\\\n"
    "                 (default: the program file's folder)\n"
#ifndef _WIN32
    "  --registry FILE.reg\n"
    "                 work on a simulated Windows whose registry is loaded from FILE.reg;\n"
    "                 a fix or restore writes the whole registry back to it\n"
    "  --drive L=DIR[:fixed|cdrom|remote|removable|ramdisk]\n"
    "                 map drive letter L to the host folder DIR (default type fixed);\n"
    "                 repeatable. The program folder (a host folder here) is seen as the\n"
    "                 highest drive letter no --drive uses, a network drive that scans\n"
    "                 and file searches leave alone.\n"
#endif
    ;

namespace {

struct GlobalOptions {
  std::string folder;
  std::string registryFile;
  std::vector<DriveMapping> drives;
  std::string command;
  Arguments commandArguments;
};

bool ParseGlobalOptions(const Arguments& arguments, GlobalOptions& options, std::ostream& err) {
  for (size_t i = 0; i < arguments.size(); ++i) {
    const std::string& argument = arguments[i];
    const bool hasValue = i + 1 < arguments.size();
    const bool global = argument == "--folder"
#ifndef _WIN32
                        || argument == "--registry" || argument == "--drive"
#endif
        ;
    if (global && !hasValue) {
      err << "veltaro: " << argument << " needs a value\n";
      return false;
    }
    if (argument == "--folder") {
      options.folder = arguments[++i];
    } else if (global && argument == "--registry") {
      options.registryFile = arguments[++i];
      if (options.registryFile.empty()) {
        err << "veltaro: --registry needs a file name\n";
        return false;
      }
    } else if (global && argument == "--drive") {
      std::string error;
      std::optional<DriveMapping> drive = ParseDriveMapping(arguments[++i], error);
      if (!drive) {
        err << "veltaro: " << error << '\n';
        return false;
      }
      options.drives.push_back(std::move(*drive));
    } else if (options.command.empty()) {
      options.command = argument;
    } else {
      options.commandArguments.push_back(argument);
    }
  }
  return true;
}

// The folder of the program file as a path of the running system.
std::string ProgramFileFolder(const std::string& programPath) {
  std::error_code ec;
  const std::filesystem::path absolute = std::filesystem::absolute(programPath, ec);
  return ec ? std::string() : absolute.parent_path().string();
}

bool ChangesRegistry(const GlobalOptions& options) {
  const Arguments& arguments = options.commandArguments;
  if (options.command == "fix" || options.command == "remove") {
    for (const auto& argument : arguments)
      if (argument == "--dry-run") return false;
    return true;
  }
  return options.command == "backups" && !arguments.empty() && arguments[0] == "restore";
}

int RunCommand(const GlobalOptions& options, const CommandContext& context) {
  if (options.command == "scan") return RunScanCommand(context, options.commandArguments);
  if (options.command == "fix") return RunFixCommand(context, options.commandArguments);
  if (options.command == "list") return RunListCommand(context, options.commandArguments);
  if (options.command == "remove") return RunRemoveCommand(context, options.commandArguments);
  if (options.command == "backups") return RunBackupsCommand(context, options.commandArguments);
  if (options.command == "cache") return RunCacheCommand(context, options.commandArguments);
  if (options.command == "selfcheck") {
    context.out << "Veltaro Pro " << VP_VERSION << '\n';
    return RunSelfCheck(context.out);
  }
  context.err << "veltaro: unknown command " << options.command << "\n" << kUsage;
  return kExitError;
}

int RunCommandLineOrThrow(const Arguments& arguments, const CommandLineIO& io) {
  GlobalOptions options;
  if (!ParseGlobalOptions(arguments, options, io.err)) return kExitError;
  if (options.command.empty() || options.command == "help" || options.command == "--help") {
    (options.command.empty() ? io.err : io.out) << kUsage;
    return options.command.empty() ? kExitError : kExitOk;
  }
  if (options.command == "version" || options.command == "--version") {
    io.out << "Veltaro Pro " << VP_VERSION << '\n';
    return kExitOk;
  }

  std::unique_ptr<MachineMode> machine;
  std::string programFolder = options.folder;
  bool simulate = !options.registryFile.empty() || !options.drives.empty();
#ifndef _WIN32
  simulate = simulate || io.alwaysSimulate;
#endif
  if (simulate) {
    // The program folder is a host folder; the machine makes it reachable.
    const std::string hostFolder =
        options.folder.empty() ? ProgramFileFolder(io.programPath) : options.folder;
    machine = std::make_unique<MachineMode>();
    std::string error;
    if (!machine->Build(options.registryFile, options.drives, hostFolder, error)) {
      io.err << "veltaro: " << error << '\n';
      return kExitError;
    }
    programFolder = machine->ProgramFolder();
  } else if (programFolder.empty()) {
    programFolder = ProgramFileFolder(io.programPath);
  }

  CommandContext context{MakeProgramFolders(programFolder), io.out, io.err, io.errIsTerminal, io.interrupted};
  int status = RunCommand(options, context);
  if (machine && ChangesRegistry(options)) {
    std::string error;
    if (!machine->SaveRegistry(error)) {
      io.err << "veltaro: " << error << '\n';
      status = kExitError;
    }
  }
  return status;
}

}  // namespace

int RunCommandLine(const Arguments& arguments, const CommandLineIO& io) {
  try {
    return RunCommandLineOrThrow(arguments, io);
  } catch (const std::exception& error) {
    io.err << "veltaro: " << error.what() << '\n';
  } catch (...) {
    io.err << "veltaro: unexpected failure\n";
  }
  return kExitError;
}

}  // namespace vp::cli
