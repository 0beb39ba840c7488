#include "platform/sim/SimSystem.h"

#include <algorithm>

namespace vp::platform::sim {

unsigned char Cp1252Upper(unsigned char c) {
  if (c >= 'a' && c <= 'z') return static_cast<unsigned char>(c - 32);
  // Latin-1 letters: 0xE0..0xFE map to 0xC0..0xDE, except the division sign.
  if (c >= 0xE0 && c <= 0xFE && c != 0xF7) return static_cast<unsigned char>(c - 32);
  switch (c) {
    case 0x9A:
      return 0x8A;  // s caron
    case 0x9C:
      return 0x8C;  // oe ligature
    case 0x9E:
      return 0x8E;  // z caron
    case 0xFF:
      return 0x9F;  // y diaeresis
    default:
      return c;
  }
}

unsigned char Cp1252Lower(unsigned char c) {
  if (c >= 'A' && c <= 'Z') return static_cast<unsigned char>(c + 32);
  if (c >= 0xC0 && c <= 0xDE && c != 0xD7) return static_cast<unsigned char>(c + 32);
  switch (c) {
    case 0x8A:
      return 0x9A;
    case 0x8C:
      return 0x9C;
    case 0x8E:
      return 0x9E;
    case 0x9F:
      return 0xFF;
    default:
      return c;
  }
}

SimSystem::SimSystem() {
  // The variables a stock Windows installation always has.
  SetEnvironment("SystemRoot", "C:\\Windows");
  SetEnvironment("windir", "C:\\Windows");
  SetEnvironment("SystemDrive", "C:");
  SetEnvironment("ProgramFiles", "C:\\Program Files");
  SetEnvironment("CommonProgramFiles", "C:\\Program Files\\Common Files");
  SetEnvironment("USERPROFILE", "C:\\users\\user");
  SetEnvironment("APPDATA", "C:\\users\\user\\AppData\\Roaming");
  SetEnvironment("TEMP", "C:\\users\\user\\Temp");
  SetEnvironment("TMP", "C:\\users\\user\\Temp");
}

std::string SimSystem::UpperCase(std::string_view text) const {
  std::string result(text);
  for (char& c : result) c = static_cast<char>(Cp1252Upper(static_cast<unsigned char>(c)));
  return result;
}

std::string SimSystem::LowerCase(std::string_view text) const {
  std::string result(text);
  for (char& c : result) c = static_cast<char>(Cp1252Lower(static_cast<unsigned char>(c)));
  return result;
}

int SimSystem::CompareTextNoCase(std::string_view a, std::string_view b) const {
  const size_t n = std::min(a.size(), b.size());
  for (size_t i = 0; i < n; ++i) {
    const int ca = Cp1252Lower(static_cast<unsigned char>(a[i]));
    const int cb = Cp1252Lower(static_cast<unsigned char>(b[i]));
    if (ca != cb) return ca < cb ? -1 : 1;
  }
  if (a.size() == b.size()) return 0;
  return a.size() < b.size() ? -1 : 1;
}

bool SimSystem::NoCaseLess::operator()(const std::string& a, const std::string& b) const {
  return std::lexicographical_compare(a.begin(), a.end(), b.begin(), b.end(), [](char x, char y) {
    return Cp1252Upper(static_cast<unsigned char>(x)) < Cp1252Upper(static_cast<unsigned char>(y));
  });
}

WindowsVersion SimSystem::Version() const {
  std::lock_guard lock(mutex_);
  return version_;
}

void SimSystem::SetVersion(const WindowsVersion& version) {
  std::lock_guard lock(mutex_);
  version_ = version;
}

void SimSystem::SetEnvironment(const std::string& name, const std::string& value) {
  std::lock_guard lock(mutex_);
  environment_[name] = value;
}

void SimSystem::ClearEnvironment(const std::string& name) {
  std::lock_guard lock(mutex_);
  environment_.erase(name);
}

std::optional<std::string> SimSystem::GetEnvironment(const std::string& name) const {
  std::lock_guard lock(mutex_);
  auto it = environment_.find(name);
  if (it == environment_.end()) return std::nullopt;
  return it->second;
}

// As ExpandEnvironmentStrings: a %NAME% reference to a defined variable is
// replaced by its value; an undefined one, or a lone percent sign, is copied
// as written, and scanning goes on after it.
std::optional<std::string> SimSystem::ExpandEnvironment(std::string_view text) const {
  std::string result;
  size_t i = 0;
  while (i < text.size()) {
    if (text[i] != '%') {
      result += text[i++];
      continue;
    }
    const size_t close = text.find('%', i + 1);
    if (close == std::string_view::npos) {
      result.append(text.substr(i));
      break;
    }
    const std::string name(text.substr(i + 1, close - i - 1));
    auto value = name.empty() ? std::nullopt : GetEnvironment(name);
    if (value) {
      result += *value;
      i = close + 1;
    } else {
      // An unknown reference is copied whole, closing percent included.
      result.append(text.substr(i, close - i + 1));
      i = close + 1;
    }
  }
  return result;
}

}  // namespace vp::platform::sim

namespace vp::platform::sim {

std::string SimSystem::WindowsFolder() const {
  std::lock_guard lock(mutex_);
  return windowsFolder_;
}

std::string SimSystem::SystemFolder() const {
  std::lock_guard lock(mutex_);
  return systemFolder_;
}

std::string SimSystem::TempFolder() const {
  for (const char* name : {"TMP", "TEMP", "USERPROFILE"}) {
    auto value = GetEnvironment(name);
    if (value && !value->empty()) return value->back() == '\\' ? *value : *value + '\\';
  }
  return WindowsFolder() + '\\';
}

void SimSystem::SetFolders(const std::string& windowsFolder, const std::string& systemFolder) {
  std::lock_guard lock(mutex_);
  windowsFolder_ = windowsFolder;
  systemFolder_ = systemFolder;
}

void SimSystem::SetAssociation(const std::string& extension, const std::string& program) {
  std::lock_guard lock(mutex_);
  associations_[extension.empty() || extension[0] == '.' ? extension : '.' + extension] = program;
}

void SimSystem::SetVersionString(const std::string& file, const std::string& name, const std::string& value) {
  std::lock_guard lock(mutex_);
  versionStrings_[file + '|' + name] = value;
}

void SimSystem::AttachFiles(const FileSystem* files) {
  std::lock_guard lock(mutex_);
  files_ = files;
}

std::optional<std::string> SimSystem::AssociatedProgram(std::string_view file) const {
  const FileSystem* files = nullptr;
  {
    std::lock_guard lock(mutex_);
    files = files_;
  }
  // As the shell: the file itself must exist.
  if (files == nullptr) return std::nullopt;
  auto attributes = files->Attributes(file);
  if (!attributes || (*attributes & kAttrDirectory) != 0) return std::nullopt;
  const size_t dot = file.find_last_of(".\\");
  if (dot == std::string_view::npos || file[dot] != '.') return std::nullopt;
  std::lock_guard lock(mutex_);
  auto it = associations_.find(std::string(file.substr(dot)));
  if (it == associations_.end()) return std::nullopt;
  return it->second;
}

std::optional<std::string> SimSystem::AssociatedProgramFor(std::string_view extension) const {
  std::lock_guard lock(mutex_);
  auto it = associations_.find(std::string(extension));
  if (it == associations_.end()) return std::nullopt;
  return it->second;
}

std::optional<std::string> SimSystem::FileVersionString(std::string_view file, std::string_view name) const {
  std::lock_guard lock(mutex_);
  auto it = versionStrings_.find(std::string(file) + '|' + std::string(name));
  if (it == versionStrings_.end()) return std::nullopt;
  return it->second;
}

}  // namespace vp::platform::sim
