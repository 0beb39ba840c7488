#include "registry/RegExportText.h"

#include <cstdio>

#include "files/CodePage1252.h"

namespace vp {
namespace {

constexpr char kHexDigits[] = "0123456789ABCDEF";

void AppendHexByte(std::string& out, unsigned char byte) {
  out += kHexDigits[byte >> 4];
  out += kHexDigits[byte & 0x0F];
}

std::string Trimmed(std::string_view text) {
  size_t begin = 0;
  size_t end = text.size();
  while (begin < end && static_cast<unsigned char>(text[begin]) <= ' ') ++begin;
  while (end > begin && static_cast<unsigned char>(text[end - 1]) <= ' ') --end;
  return std::string(text.substr(begin, end - begin));
}

// A comment line ends at a line break: turn breaks into blanks so the rest
// of the text cannot become a line of its own.
std::string OneLine(std::string text) {
  for (char& c : text) {
    if (c == '\r' || c == '\n') c = ' ';
  }
  return text;
}

std::string HexLine(std::string_view valueName, std::string_view form, const std::string& list) {
  std::string text(kLineEnd);
  text += ValueNamePart(valueName);
  text += '=';
  text += form;
  text += list;
  text += kLineEnd;
  return text;
}

std::string TypedHexForm(uint32_t type) {
  char buffer[24];
  std::snprintf(buffer, sizeof buffer, "hex(%x):", static_cast<unsigned>(type));
  return buffer;
}

// A REG_SZ that the quoted form gives back exactly: an importer stores the
// text with one closing NUL, so the data must be that and nothing else (no
// line break, no inner NUL, and the closing NUL present).
bool FitsQuotedForm(std::string_view data) {
  if (data.empty() || data.back() != '\0') return false;
  const std::string_view text = data.substr(0, data.size() - 1);
  return text.find('\0') == std::string_view::npos && FitsOnRegLine(text);
}

}  // namespace

std::string EscapeRegText(std::string_view text) {
  std::string out;
  out.reserve(text.size() + 8);
  for (char c : text) {
    if (c == '\\' || c == '"') out += '\\';
    out += c;
  }
  return out;
}

std::string RegFileHeader(bool oldFormat, const RegFileHeaderInfo& info) {
  std::string text;
  auto line = [&text](std::string_view content) {
    text += content;
    text += kLineEnd;
  };
  if (oldFormat) {
    line("REGEDIT4");
    line("");
    return text;
  }
  line("Windows Registry Editor Version 5.00");
  line("");
  line("; File created by TBackupTool");
  line("; Component version: 1.4");
  line("; Component used by: " + OneLine(info.usedBy));
  line("; Program version: " + OneLine(Trimmed(info.programVersion)));
  line("; File Description: " + OneLine(Trimmed(info.description)));
  line("; Date: " + FixedDate(info.now));
  line("; Time: " + FixedTime(info.now));
  line("");
  return text;
}

std::string KeyHeaderLine(std::string_view rootName, std::string_view subKey) {
  std::string line = "[";
  line += rootName;
  if (!subKey.empty()) {
    line += '\\';
    line += subKey;
  }
  line += ']';
  return line;
}

bool FitsOnRegLine(std::string_view text) {
  return text.find_first_of("\r\n") == std::string_view::npos;
}

std::string ValueNamePart(std::string_view valueName) {
  if (valueName.empty()) return "@";
  return "\"" + EscapeRegText(valueName) + "\"";
}

std::string HexByteList(std::string_view bytes) {
  std::string out;
  out.reserve(bytes.size() * 3 + bytes.size() / 25 * 5);
  for (size_t i = 0; i < bytes.size(); ++i) {
    AppendHexByte(out, static_cast<unsigned char>(bytes[i]));
    if (i + 1 == bytes.size()) break;
    out += ',';
    if (i > 0 && i % 25 == 0) out += kHexContinuation;
  }
  return out;
}

std::string MultiStringHexList(std::string_view data) {
  std::string out;
  out.reserve(data.size() * 6 + data.size() / 6 * 5);
  int counter = 0;
  for (size_t i = 0; i < data.size(); ++i) {
    const auto byte = static_cast<unsigned char>(data[i]);
    const char16_t unit = Cp1252ToUtf16(byte);
    const bool last = i + 1 == data.size();
    AppendHexByte(out, static_cast<unsigned char>(unit & 0xFF));
    out += ',';
    AppendHexByte(out, static_cast<unsigned char>(unit >> 8));
    if (!last) out += ',';
    if (byte == 0) counter += 1;
    if (counter >= 19 && !last) {
      out += kHexContinuation;
      counter = 0;
    }
    counter += 2;
  }
  return out;
}

std::string Utf16LeBytes(std::string_view text) {
  // Written in place: a whole set's text passes through here, and nearly all
  // of it is ASCII, which needs no table.
  std::string bytes(text.size() * 2, '\0');
  char* out = bytes.data();
  for (char c : text) {
    const auto byte = static_cast<unsigned char>(c);
    const char16_t unit = byte < 0x80 ? char16_t(byte) : Cp1252ToUtf16(byte);
    *out++ = static_cast<char>(unit & 0xFF);
    *out++ = static_cast<char>(unit >> 8);
  }
  return bytes;
}

std::optional<std::string> ValueLines(std::string_view valueName, uint32_t type, std::string_view data,
                                      bool oldFormat) {
  if (!FitsOnRegLine(valueName)) return std::nullopt;
  auto textBytes = [&] { return HexByteList(oldFormat ? std::string(data) : Utf16LeBytes(data)); };
  switch (type) {
    case platform::kRegSz:
      if (FitsQuotedForm(data)) {
        const std::string_view text = data.substr(0, data.size() - 1);
        return ValueNamePart(valueName) + "=\"" + EscapeRegText(text) + "\"" + std::string(kLineEnd);
      }
      return HexLine(valueName, "hex(1):", textBytes());
    case platform::kRegExpandSz:
      return HexLine(valueName, "hex(2):", textBytes());
    case platform::kRegMultiSz:
      return HexLine(valueName, "hex(7):", oldFormat ? textBytes() : MultiStringHexList(data));
    case platform::kRegDword:
      if (data.size() == 4) {
        const uint32_t value = static_cast<unsigned char>(data[0]) |
                               static_cast<uint32_t>(static_cast<unsigned char>(data[1])) << 8 |
                               static_cast<uint32_t>(static_cast<unsigned char>(data[2])) << 16 |
                               static_cast<uint32_t>(static_cast<unsigned char>(data[3])) << 24;
        char buffer[16];
        std::snprintf(buffer, sizeof buffer, "%08X", static_cast<unsigned>(value));
        return ValueNamePart(valueName) + "=dword:" + buffer + std::string(kLineEnd);
      }
      return HexLine(valueName, TypedHexForm(type), HexByteList(data));
    case platform::kRegBinary:
      return HexLine(valueName, "hex:", HexByteList(data));
    default:
      return HexLine(valueName, TypedHexForm(type), HexByteList(data));
  }
}

std::string EntriesFileBytes(std::string_view text, bool wide, bool atStart) {
  if (!wide) return std::string(text);
  std::string bytes = atStart ? "\xFF\xFE" : "";
  bytes += Utf16LeBytes(text);
  return bytes;
}

std::optional<std::string> EntriesFileText(std::string_view bytes) {
  if (bytes.size() < 2 || bytes.substr(0, 2) != "\xFF\xFE") return std::string(bytes);
  std::u16string units;
  for (size_t i = 2; i + 1 < bytes.size(); i += 2) {
    units.push_back(static_cast<char16_t>(static_cast<unsigned char>(bytes[i]) |
                                          static_cast<unsigned char>(bytes[i + 1]) << 8));
  }
  return Utf16ToCp1252(units);
}

}  // namespace vp
