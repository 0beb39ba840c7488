#include "settings/BigIni.h"

#include <algorithm>
#include <numeric>

#include "platform/FileSystem.h"
#include "platform/Platform.h"
#include "platform/System.h"

namespace vp {

namespace {

bool SameName(std::string_view a, std::string_view b) {
  return platform::Sys().CompareTextNoCase(a, b) == 0;
}

// Line breaks would split a written line in two when the file is read again.
std::string OneLine(std::string_view text) {
  std::string result(text);
  for (char& c : result)
    if (c == '\r' || c == '\n') c = ' ';
  return result;
}

// The first line of the key in lines, or lines.end().
template <typename Lines>
auto FindKey(Lines& lines, std::string_view key) {
  return std::find_if(lines.begin(), lines.end(), [key](const std::string& line) {
    std::string_view lineKey;
    return IniLineKey(line, lineKey) && SameName(lineKey, key);
  });
}

class PlatformAccess : public IniFileAccess {
 public:
  ReadResult Read(const std::string& path, std::string& bytes) const override {
    auto& files = platform::Files();
    if (auto content = files.ReadWholeFile(path)) {
      bytes = std::move(*content);
      return ReadResult::Loaded;
    }
    const auto attributes = files.Attributes(path);
    if (!attributes || (*attributes & platform::kAttrDirectory) != 0) return ReadResult::Missing;
    return ReadResult::Failed;
  }

  bool Replace(const std::string& path, std::string_view bytes) override {
    return platform::Files().ReplaceWholeFile(path, bytes);
  }
};

}  // namespace

IniFileAccess& PlatformIniFileAccess() {
  static PlatformAccess access;
  return access;
}

bool IniLineKey(std::string_view line, std::string_view& key) {
  const size_t equals = line.find('=');
  if (equals == std::string_view::npos) return false;
  key = line.substr(0, equals);
  return true;
}

bool ParseIniInteger(std::string_view text, int32_t& value) {
  size_t i = 0;
  while (i < text.size() && text[i] == ' ') ++i;
  bool negative = false;
  if (i < text.size() && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';
  const bool hex = i < text.size() && text[i] == '$';
  if (hex) ++i;
  if (i == text.size()) return false;
  const uint64_t limit = hex ? 0xFFFFFFFFull : (negative ? 0x80000000ull : 0x7FFFFFFFull);
  uint64_t magnitude = 0;
  for (; i < text.size(); ++i) {
    const char c = text[i];
    int digit;
    if (c >= '0' && c <= '9')
      digit = c - '0';
    else if (hex && c >= 'a' && c <= 'f')
      digit = c - 'a' + 10;
    else if (hex && c >= 'A' && c <= 'F')
      digit = c - 'A' + 10;
    else
      return false;
    magnitude = magnitude * (hex ? 16 : 10) + static_cast<uint64_t>(digit);
    if (magnitude > limit) return false;
  }
  const uint32_t bits = static_cast<uint32_t>(magnitude);
  value = static_cast<int32_t>(negative ? 0u - bits : bits);
  return true;
}

// ---------------------------------------------------------------- TBigIniFile

TBigIniFile::TBigIniFile(std::string_view fileName, IniFileAccess* access)
    : access_(access != nullptr ? access : &PlatformIniFileAccess()) {
  SetFileName(fileName);
}

TBigIniFile::~TBigIniFile() {
  FlushFile();
}

bool TBigIniFile::SetFileName(std::string_view fileName) {
  const bool flushed = FlushFile();
  sections_.clear();
  lastFound_ = 0;
  loadFailed_ = false;
  fileName_ = std::string(fileName);
  const bool loaded = fileName_.empty() || LoadFile(fileName_);
  changed_ = false;
  return flushed && loaded;
}

int TBigIniFile::FindSection(std::string_view name) const {
  const size_t count = sections_.size();
  if (count == 0) return -1;
  if (lastFound_ >= count) lastFound_ = 0;
  size_t i = lastFound_;
  do {
    if (SameName(sections_[i].name, name)) {
      lastFound_ = i;
      return static_cast<int>(i);
    }
    i = (i + 1) % count;
  } while (i != lastFound_);
  return -1;
}

TBigIniFile::Section& TBigIniFile::SectionForWrite(std::string_view name) {
  const int found = FindSection(name);
  if (found >= 0) return sections_[static_cast<size_t>(found)];
  sections_.push_back({std::string(name), {}});
  lastFound_ = sections_.size() - 1;
  return sections_.back();
}

std::string TBigIniFile::ReadString(std::string_view section, std::string_view key,
                                    std::string_view def) const {
  const int found = FindSection(section);
  if (found < 0) return std::string(def);
  const StringList& lines = sections_[static_cast<size_t>(found)].lines;
  const auto line = FindKey(lines, key);
  if (line == lines.end()) return std::string(def);
  return line->substr(line->find('=') + 1);
}

void TBigIniFile::WriteString(std::string_view section, std::string_view key, std::string_view value) {
  if (key.empty()) {
    if (section.empty() && value.empty())
      FlushFile();
    else
      EraseSection(section);
    return;
  }
  const std::string sectionName = OneLine(section);
  const std::string keyText = OneLine(key);
  std::string line = keyText + "=" + OneLine(value);
  StringList& lines = SectionForWrite(sectionName).lines;
  const auto existing = FindKey(lines, keyText);
  if (existing == lines.end()) {
    lines.push_back(std::move(line));
    changed_ = true;
  } else if (*existing != line) {
    *existing = std::move(line);
    changed_ = true;
  }
}

int32_t TBigIniFile::ReadInteger(std::string_view section, std::string_view key, int32_t def) const {
  std::string text = ReadString(section, key, "");
  if (text.size() >= 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X'))
    text = "$" + text.substr(2, 255);
  int32_t value;
  return ParseIniInteger(text, value) ? value : def;
}

void TBigIniFile::WriteInteger(std::string_view section, std::string_view key, int32_t value) {
  WriteString(section, key, std::to_string(value));
}

bool TBigIniFile::ReadBool(std::string_view section, std::string_view key, bool def) const {
  return ReadInteger(section, key, def ? 1 : 0) != 0;
}

void TBigIniFile::WriteBool(std::string_view section, std::string_view key, bool value) {
  WriteString(section, key, value ? "1" : "0");
}

void TBigIniFile::ReadSection(std::string_view section, StringList& keys) const {
  const int found = FindSection(section);
  if (found < 0) return;
  for (const std::string& line : sections_[static_cast<size_t>(found)].lines) {
    std::string_view key;
    if (IniLineKey(line, key)) keys.emplace_back(key);
  }
}

void TBigIniFile::ReadSections(StringList& sections) const {
  for (const Section& section : sections_) sections.push_back(section.name);
}

void TBigIniFile::ReadSectionValues(std::string_view section, StringList& lines) const {
  const int found = FindSection(section);
  if (found < 0) return;
  const StringList& held = sections_[static_cast<size_t>(found)].lines;
  lines.insert(lines.end(), held.begin(), held.end());
}

void TBigIniFile::ReadAll(StringList& lines) const {
  for (const Section& section : sections_) {
    if (section.lines.empty()) continue;
    lines.push_back("[" + section.name + "]");
    lines.insert(lines.end(), section.lines.begin(), section.lines.end());
    lines.emplace_back();
  }
}

void TBigIniFile::EraseSection(std::string_view section) {
  const int found = FindSection(section);
  if (found < 0) return;
  sections_.erase(sections_.begin() + found);
  lastFound_ = 0;
  changed_ = true;
}

void TBigIniFile::DeleteKey(std::string_view section, std::string_view key) {
  StringList& lines = SectionForWrite(section).lines;
  const auto line = FindKey(lines, key);
  if (line == lines.end()) return;
  lines.erase(line);
  changed_ = true;
}

std::string TBigIniFile::FileText() const {
  StringList lines;
  ReadAll(lines);
  size_t size = 0;
  for (const std::string& line : lines) size += line.size() + 2;
  std::string text;
  text.reserve(size);
  for (const std::string& line : lines) {
    text += line;
    text += "\r\n";
  }
  return text;
}

bool TBigIniFile::FlushFile() {
  if (!changed_) return true;
  if (fileName_.empty()) {
    changed_ = false;
    return true;
  }
  if (loadFailed_ || !access_->Replace(fileName_, FileText())) return false;
  changed_ = false;
  return true;
}

bool TBigIniFile::LoadFile(std::string_view fileName) {
  lastFound_ = 0;
  std::string bytes;
  const std::string name(fileName);
  switch (access_->Read(name, bytes)) {
    case IniFileAccess::ReadResult::Missing:
      break;
    case IniFileAccess::ReadResult::Failed:
      if (name == fileName_) loadFailed_ = true;
      return false;
    case IniFileAccess::ReadResult::Loaded:
      LoadText(bytes);
      break;
  }
  if (name == fileName_) loadFailed_ = false;
  changed_ = false;
  return true;
}

void TBigIniFile::LoadText(std::string_view bytes) {
  lastFound_ = 0;
  Section* current = nullptr;
  size_t at = 0;
  while (at < bytes.size()) {
    size_t end = bytes.find_first_of("\r\n", at);
    if (end == std::string_view::npos) end = bytes.size();
    const std::string_view line = bytes.substr(at, end - at);
    at = end;
    // CR LF, LF or a lone CR ends the line.
    if (at < bytes.size() && bytes[at] == '\r') ++at;
    if (at < bytes.size() && bytes[at] == '\n') ++at;

    if (line.empty() || line == "\x1A") continue;
    if (line.size() >= 2 && line.front() == '[' && line.back() == ']') {
      sections_.push_back({std::string(line.substr(1, line.size() - 2)), {}});
      current = &sections_.back();
    } else if (current != nullptr) {
      current->lines.emplace_back(line);
    }
  }
  DropDuplicateSections();
  changed_ = false;
}

void TBigIniFile::DropDuplicateSections() {
  if (sections_.size() < 2) return;
  // Sorting the indices by name puts equal names together with the earliest
  // first; each later one is dropped. Linear-logarithmic, where comparing
  // every pair would be quadratic in large files.
  std::vector<size_t> order(sections_.size());
  std::iota(order.begin(), order.end(), size_t{0});
  const auto& sys = platform::Sys();
  std::stable_sort(order.begin(), order.end(), [&](size_t a, size_t b) {
    return sys.CompareTextNoCase(sections_[a].name, sections_[b].name) < 0;
  });
  std::vector<bool> drop(sections_.size(), false);
  for (size_t i = 1; i < order.size(); ++i)
    if (sys.CompareTextNoCase(sections_[order[i - 1]].name, sections_[order[i]].name) == 0)
      drop[order[i]] = true;
  size_t kept = 0;
  for (size_t i = 0; i < sections_.size(); ++i)
    if (!drop[i]) {
      if (kept != i) sections_[kept] = std::move(sections_[i]);
      ++kept;
    }
  sections_.resize(kept);
  lastFound_ = 0;
}

}  // namespace vp
