#include "backup/SetLayout.h"

#include <cstdio>

#include "files/StringTools.h"

namespace vp::backup {
namespace {

// A description is one INI value: a line break in it would end the value and
// let the rest pass for other keys of the index.
std::string OneLine(std::string text) {
  for (char& c : text) {
    if (c == '\r' || c == '\n') c = ' ';
  }
  return text;
}

}  // namespace

std::string SetFolderName(uint32_t number) {
  char buffer[16];
  std::snprintf(buffer, sizeof buffer, "%06X", static_cast<unsigned>(number));
  return buffer;
}

std::optional<std::string> PickSetFolder(const std::string& baseFolder,
                                         const std::function<bool(const std::string&)>& folderExists,
                                         const std::function<uint32_t(uint32_t)>& random) {
  for (int draw = 0; draw < kRandomSetNameDraws; ++draw) {
    const std::string folder = baseFolder + SetFolderName(random(kSetNameCount) % kSetNameCount);
    if (!folderExists(folder)) return folder + "\\";
  }
  for (uint32_t number = 0; number < kSetNameCount; ++number) {
    const std::string folder = baseFolder + SetFolderName(number);
    if (!folderExists(folder)) return folder + "\\";
  }
  return std::nullopt;
}

std::string IndexText(const IndexInfo& info) {
  std::string text;
  auto line = [&text](const std::string& content) {
    text += content;
    text += "\r\n";
  };
  line("[Header]");
  line("ProgVersion=" + OneLine(info.programVersion));
  line("SyntaxVersion=1.4");
  line("DateTime=" + FormatDateTime(info.now, info.formats));
  line("DateTimeEx=" + FloatText(DayNumber(info.now), info.formats.decimalSeparator));
  line("Text=" + OneLine(info.description));
  line("TypeCode=" + std::to_string(info.typeCode));
  line("ID=" + info.setId);
  return text;
}

std::string SetIdSource(const SetIdParts& parts) {
  return FloatText(parts.dayNumber, '.') + std::to_string(parts.tickCount) + BoolToText(parts.oldFormat) +
         parts.setFolder + parts.indexPath + parts.entriesPath + std::to_string(parts.stringCount) +
         std::to_string(parts.randomNumber);
}

}  // namespace vp::backup
