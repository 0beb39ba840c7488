#include "cli/MachineMode.h"

#include <filesystem>
#include <fstream>
#include <sstream>

#include "cli/RegistrySave.h"
#include "platform/sim/HostFile.h"
#include "platform/sim/SimMachine.h"
#include "registry/RegFile.h"

namespace vp::cli {

namespace fs = std::filesystem;

namespace {

struct NamedType {
  std::string_view name;
  platform::DriveType type;
};
constexpr NamedType kDriveTypes[] = {
    {"fixed", platform::DriveType::Fixed},     {"cdrom", platform::DriveType::CdRom},
    {"remote", platform::DriveType::Remote},   {"removable", platform::DriveType::Removable},
    {"ramdisk", platform::DriveType::RamDisk},
};

std::optional<std::string> ReadHostFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return std::nullopt;
  std::ostringstream bytes;
  bytes << in.rdbuf();
  if (in.bad()) return std::nullopt;
  return bytes.str();
}

// Every key once: the user's key below HKEY_USERS is written as
// HKEY_CURRENT_USER; the classes and the current configuration are views of
// HKEY_LOCAL_MACHINE. HKEY_DYN_DATA is a root of its own that a file can
// fill, so it is kept too.
std::optional<std::string> WholeRegistryText(std::string* reason = nullptr) {
  return RegistryFileText({{platform::kHkeyLocalMachine, {}},
                           {platform::kHkeyUsers, {platform::sim::SimRegistry::kUserSid}},
                           {platform::kHkeyCurrentUser, {}},
                           {platform::kHkeyDynData, {}}},
                          reason);
}

}  // namespace

std::optional<DriveMapping> ParseDriveMapping(std::string_view text, std::string& error) {
  DriveMapping mapping;
  const char letter = text.empty() ? 0 : text[0];
  if (text.size() < 3 || text[1] != '=' ||
      !((letter >= 'A' && letter <= 'Z') || (letter >= 'a' && letter <= 'z'))) {
    error = "--drive takes LETTER=FOLDER[:TYPE], not \"" + std::string(text) + "\"";
    return std::nullopt;
  }
  mapping.letter = static_cast<char>(letter & ~0x20);
  std::string_view folder = text.substr(2);
  const size_t colon = folder.rfind(':');
  if (colon != std::string_view::npos) {
    const std::string_view typeName = folder.substr(colon + 1);
    bool known = false;
    for (const NamedType& named : kDriveTypes) {
      if (typeName == named.name) {
        mapping.type = named.type;
        known = true;
      }
    }
    if (!known) {
      error =
          "unknown drive type \"" + std::string(typeName) + "\" (fixed, cdrom, remote, removable or ramdisk)";
      return std::nullopt;
    }
    folder = folder.substr(0, colon);
  }
  if (folder.empty()) {
    error = "--drive " + std::string(1, mapping.letter) + ": no folder given";
    return std::nullopt;
  }
  mapping.hostFolder = std::string(folder);
  return mapping;
}

MachineMode::MachineMode() : previous_(platform::Current()) {}

MachineMode::~MachineMode() {
  if (installed_) platform::Install(previous_);
}

bool MachineMode::Build(const std::string& registryFile, const std::vector<DriveMapping>& drives,
                        const std::string& programHostFolder, std::string& error) {
  auto machine = std::make_unique<platform::sim::SimMachine>();
  std::string used;
  for (const DriveMapping& drive : drives) {
    std::error_code ec;
    if (!fs::is_directory(drive.hostFolder, ec)) {
      error = "the folder " + drive.hostFolder + " for drive " + drive.letter + ": does not exist";
      return false;
    }
    if (used.find(drive.letter) != std::string::npos) {
      error = std::string("drive ") + drive.letter + ": is given twice";
      return false;
    }
    used += drive.letter;
    machine->Files().MapDrive(drive.letter, fs::absolute(drive.hostFolder, ec), drive.type);
  }
  char programLetter = 0;
  for (char letter = 'Z'; letter >= 'D' && programLetter == 0; --letter)
    if (used.find(letter) == std::string::npos) programLetter = letter;
  std::error_code ec;
  if (programLetter == 0 || !fs::is_directory(programHostFolder, ec)) {
    error = "the program folder " + programHostFolder + " does not exist or no drive letter is left for it";
    return false;
  }
  machine->Files().MapDrive(programLetter, fs::absolute(programHostFolder, ec), platform::DriveType::Remote);
  programFolder_ = std::string(1, programLetter) + ":\\";

  std::optional<std::string> bytes;
  if (!registryFile.empty()) {
    if (fs::is_directory(registryFile, ec)) {
      error = registryFile + " is a folder, not a registry file";
      return false;
    }
    bytes = ReadHostFile(registryFile);
    if (!bytes) {
      error = "cannot read " + registryFile;
      return false;
    }
  }
  const TRegFileContents contents = bytes ? TRegFileReader::Parse(*bytes) : TRegFileContents{};
  if (bytes && !contents.Clean()) {
    const TRegFileProblem problem =
        contents.problems.empty() ? TRegFileProblem{0, "not a registry file"} : contents.problems.front();
    error = registryFile + ":" + std::to_string(problem.line) + ": " + problem.reason;
    return false;
  }

  machine_ = std::move(machine);
  platform::Install(machine_->Services());
  installed_ = true;
  registryFile_ = registryFile;
  if (bytes) {
    const std::vector<TRegFileProblem> failed = TRegFileReader::Apply(contents.operations);
    if (!failed.empty()) {
      error = registryFile + ":" + std::to_string(failed.front().line) + ": " + failed.front().reason;
      return false;
    }
    // What cannot be written back is refused now, before any command acts
    // on it (and writes a backup set for a change it could not save).
    std::string reason;
    std::optional<std::string> text = WholeRegistryText(&reason);
    if (!text) {
      error = registryFile + " loads but could not be written back: " + reason;
      return false;
    }
    loadedText_ = std::move(*text);
  }
  return true;
}

bool MachineMode::SaveRegistry(std::string& error) {
  if (registryFile_.empty() || !machine_) return true;
  const std::optional<std::string> text = WholeRegistryText();
  if (!text) {
    error = "the registry could not be read whole; " + registryFile_ + " was left as it was";
    return false;
  }
  // A command that changed nothing leaves the file as it was, comments and
  // all.
  if (*text == loadedText_) return true;
  if (!platform::sim::ReplaceHostFile(registryFile_, *text, true, error)) return false;
  loadedText_ = *text;
  return true;
}

}  // namespace vp::cli
