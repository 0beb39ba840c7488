#include "registry/RegFile.h"

#include <optional>

#include "files/CodePage1252.h"
#include "files/StringTools.h"
#include "platform/FileSystem.h"
#include "platform/Platform.h"
#include "platform/Registry.h"
#include "platform/System.h"
#include "registry/FastRegistry.h"

namespace vp {
namespace {

constexpr std::string_view kRegedit4Header = "REGEDIT4";
constexpr std::string_view kVersion5Header = "Windows Registry Editor Version 5.00";

// A physical line, a view into the decoded text. A line of a UTF-16 file
// that has no exact form in the code page keeps its structure (every
// character outside ASCII shown as '?') so the parser can tell where its entry
// ends, but is never applied.
struct Line {
  int number = 0;
  std::string_view text;
  bool exact = true;
};

// The same test as Trim, without the copy: lines are trimmed once each and a
// restore reads hundreds of thousands of them.
std::string_view TrimView(std::string_view text) {
  size_t begin = 0, end = text.size();
  while (begin < end && static_cast<unsigned char>(text[begin]) <= ' ') ++begin;
  while (end > begin && static_cast<unsigned char>(text[end - 1]) <= ' ') --end;
  return text.substr(begin, end - begin);
}

// UTF-16 units to the code page, exactly or not at all. Without a table for
// the code page only ASCII is certain.
class Narrower {
 public:
  Narrower() : cp1252_(platform::Sys().AnsiCodePage() == 1252) {}

  std::optional<char> Unit(char16_t unit) const {
    if (unit < 0x80) return static_cast<char>(unit);
    if (!cp1252_) return std::nullopt;
    if (unit >= 0xA0 && unit <= 0xFF) return static_cast<char>(unit);
    if (auto byte = Utf16ToCp1252(unit)) return static_cast<char>(*byte);
    return std::nullopt;
  }

 private:
  bool cp1252_;
};

char16_t UnitAt(std::string_view bytes, size_t i) {
  return char16_t(static_cast<unsigned char>(bytes[i]) | (static_cast<unsigned char>(bytes[i + 1]) << 8));
}

template <typename Emit>
void SplitLines(std::string_view text, Emit emit) {
  size_t start = 0;
  int number = 1;
  while (start < text.size()) {
    // A plain loop: find_first_of tests each character against the set
    // through a library call.
    size_t end = start;
    while (end < text.size() && text[end] != '\r' && text[end] != '\n') ++end;
    emit(number++, start, end);
    if (end < text.size() && text[end] == '\r') ++end;
    if (end < text.size() && text[end] == '\n') ++end;
    start = end;
  }
}

// The text of a UTF-16 file in the code page, one byte per unit, so the
// lines split where the units' line breaks are (only the units CR and LF
// become those bytes). Units without an exact form become '?' and their
// positions are kept, in order, to mark their lines.
std::string NarrowUtf16(std::string_view bytes, std::vector<size_t>& inexact) {
  const Narrower narrower;
  std::string text;
  text.resize((bytes.size() - 2) / 2);
  for (size_t i = 2, at = 0; i + 1 < bytes.size(); i += 2, ++at) {
    if (auto c = narrower.Unit(UnitAt(bytes, i))) {
      text[at] = *c;
    } else {
      text[at] = '?';
      inexact.push_back(at);
    }
  }
  return text;
}

// Splits the file into lines; a UTF-16 file is decoded into `storage`, which
// the lines then point into.
std::vector<Line> DecodeLines(std::string_view bytes, std::string& storage,
                              std::vector<TRegFileProblem>& problems) {
  std::vector<Line> lines;
  if (bytes.size() >= 2 && static_cast<unsigned char>(bytes[0]) == 0xFF &&
      static_cast<unsigned char>(bytes[1]) == 0xFE) {
    if (bytes.size() % 2 != 0) problems.push_back({0, "UTF-16 text ends in half a character"});
    std::vector<size_t> inexact;
    storage = NarrowUtf16(bytes, inexact);
    size_t next = 0;
    SplitLines(storage, [&](int number, size_t start, size_t end) {
      while (next < inexact.size() && inexact[next] < start) ++next;
      const bool exact = next == inexact.size() || inexact[next] >= end;
      if (!exact) {
        // A line that cannot be applied shows only its ASCII.
        for (size_t i = start; i < end; ++i)
          if (static_cast<unsigned char>(storage[i]) >= 0x80) storage[i] = '?';
      }
      lines.push_back({number, std::string_view(storage).substr(start, end - start), exact});
    });
  } else {
    SplitLines(bytes, [&](int number, size_t start, size_t end) {
      lines.push_back({number, bytes.substr(start, end - start), true});
    });
  }
  return lines;
}

bool EndsWithBackslash(std::string_view text) {
  const std::string_view trimmed = TrimView(text);
  return !trimmed.empty() && trimmed.back() == '\\';
}

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

bool StartsWithNoCase(std::string_view text, std::string_view prefix) {
  return text.size() >= prefix.size() && SameText(text.substr(0, prefix.size()), prefix);
}

// A quoted string at text[pos] == '"' with the escapes \\ and \", and \r and
// \n for the carriage return and line feed that the system's editor writes
// that way in names and strings; pos moves past the closing quote. Empty
// optional and a reason when malformed.
std::optional<std::string> QuotedString(std::string_view text, size_t& pos, std::string& reason) {
  std::string result;
  for (++pos; pos < text.size(); ++pos) {
    const char c = text[pos];
    if (c == '"') {
      ++pos;
      return result;
    }
    if (c == '\\') {
      const char next = pos + 1 < text.size() ? text[pos + 1] : '\0';
      if (next == '\\' || next == '"' || next == 'r' || next == 'n') {
        result.push_back(next == 'r' ? '\r' : next == 'n' ? '\n' : next);
        ++pos;
        continue;
      }
      reason = "unknown escape sequence in a quoted string";
      return std::nullopt;
    }
    result.push_back(c);
  }
  reason = "quoted string without its closing quote";
  return std::nullopt;
}

// "aa,bb,..." into bytes.
std::optional<std::string> HexBytes(std::string_view text) {
  std::string bytes;
  bytes.reserve(text.size() / 3 + 1);
  size_t pos = 0;
  const std::string_view trimmed = TrimView(text);
  if (trimmed.empty()) return bytes;
  while (pos <= trimmed.size()) {
    size_t comma = trimmed.find(',', pos);
    if (comma == std::string_view::npos) comma = trimmed.size();
    const std::string_view token = TrimView(trimmed.substr(pos, comma - pos));
    if (token.empty()) {
      if (comma != trimmed.size() - 1 && comma != trimmed.size())
        return std::nullopt;  // only a final comma may be bare
    } else {
      if (token.size() > 2) return std::nullopt;
      int value = 0;
      for (char c : token) {
        const int digit = HexDigit(c);
        if (digit < 0) return std::nullopt;
        value = value * 16 + digit;
      }
      bytes.push_back(static_cast<char>(value));
    }
    pos = comma + 1;
  }
  return bytes;
}

// Whether a value line's data is in hex form (and so may continue).
bool IsHexData(std::string_view text) {
  size_t pos = 1;
  if (text[0] == '"') {
    std::string reason;
    pos = 0;
    if (!QuotedString(text, pos, reason)) return false;
  }
  while (pos < text.size() && (text[pos] == ' ' || text[pos] == '\t' || text[pos] == '=')) ++pos;
  return StartsWithNoCase(text.substr(pos), "hex");
}

class Parser {
 public:
  explicit Parser(TRegFileContents& contents) : contents_(contents) {}

  void Run(const std::vector<Line>& lines) {
    if (lines.empty()) {
      Problem(0, "empty file");
      return;
    }
    const std::string_view header = TrimView(lines[0].text);
    if (header == kRegedit4Header) {
      contents_.format = TRegFileContents::kRegedit4;
    } else if (header == kVersion5Header) {
      contents_.format = TRegFileContents::kVersion5;
    } else {
      Problem(lines[0].number, "not a registry file: unknown header");
      return;
    }
    for (size_t i = 1; i < lines.size(); ++i) {
      const Line& line = lines[i];
      const std::string_view text = TrimView(line.text);
      if (text.empty() || text[0] == ';') continue;
      if (text[0] == '[') {
        KeyLine(line, text);
      } else if (text[0] == '"' || text[0] == '@') {
        // Hex data may continue over the following lines, each ending in "\".
        // Most values fit on one line, which is parsed where it lies.
        bool exact = line.exact;
        if (IsHexData(text) && EndsWithBackslash(text) && i + 1 < lines.size()) {
          joined_.assign(text);
          while (EndsWithBackslash(joined_) && i + 1 < lines.size()) {
            joined_.resize(TrimView(joined_).size());  // never blank at the front
            joined_.pop_back();
            ++i;
            joined_ += TrimView(lines[i].text);
            exact = exact && lines[i].exact;
          }
          ValueLine(line.number, joined_, exact);
        } else {
          ValueLine(line.number, text, exact);
        }
      } else {
        Problem(line.number, "unrecognised line");
      }
    }
  }

 private:
  const Narrower& Narrow() {
    if (!narrower_) narrower_.emplace();
    return *narrower_;
  }

  void Problem(int line, std::string reason) { contents_.problems.push_back({line, std::move(reason)}); }

  void KeyLine(const Line& line, std::string_view text) {
    keyState_ = KeyState::kBroken;
    const size_t close = text.rfind(']');
    if (close == std::string_view::npos || close == 0) {
      Problem(line.number, "key line without its closing bracket");
      return;
    }
    if (!TrimView(text.substr(close + 1)).empty()) {
      Problem(line.number, "text after a key line's closing bracket");
      return;
    }
    if (!line.exact) {
      Problem(line.number, "key name has characters outside the code page");
      return;
    }
    std::string_view path = text.substr(1, close - 1);
    const bool remove = !path.empty() && path.front() == '-';
    if (remove) path.remove_prefix(1);
    const size_t slash = path.find('\\');
    const std::string_view rootName = path.substr(0, slash);
    if (!IsRootKeyName(rootName)) {
      Problem(line.number, "key path does not start with a root key name");
      return;
    }
    std::string below = slash == std::string_view::npos ? std::string() : std::string(path.substr(slash + 1));
    while (!below.empty() && below.back() == '\\') below.pop_back();
    if (below.find("\\\\") != std::string::npos || (!below.empty() && below.front() == '\\')) {
      Problem(line.number, "key path has an empty component");
      return;
    }
    TRegFileOperation operation;
    operation.line = line.number;
    operation.keyPath = RootKeyToName(NameToRootKey(rootName));
    if (!below.empty()) operation.keyPath += "\\" + below;
    if (remove) {
      if (below.empty()) {
        Problem(line.number, "a root key cannot be deleted");
        return;
      }
      operation.kind = TRegFileOperation::kDeleteKey;
      keyState_ = KeyState::kDeleted;
    } else {
      operation.kind = TRegFileOperation::kCreateKey;
      keyState_ = KeyState::kOpen;
      currentKey_ = operation.keyPath;
    }
    contents_.operations.push_back(std::move(operation));
  }

  void ValueLine(int number, std::string_view text, bool exact) {
    switch (keyState_) {
      case KeyState::kNone:
        return Problem(number, "value line before any key line");
      case KeyState::kBroken:
        return Problem(number, "value of a key line that cannot be applied");
      case KeyState::kDeleted:
        return Problem(number, "value of a deleted key");
      case KeyState::kOpen:
        break;
    }
    if (!exact) return Problem(number, "value has characters outside the code page");

    TRegFileOperation operation;
    operation.line = number;
    operation.keyPath = currentKey_;
    size_t pos = 0;
    std::string reason;
    if (text[0] == '@') {
      pos = 1;
    } else {
      auto name = QuotedString(text, pos, reason);
      if (!name) return Problem(number, reason);
      operation.valueName = std::move(*name);
    }
    while (pos < text.size() && (text[pos] == ' ' || text[pos] == '\t')) ++pos;
    if (pos >= text.size() || text[pos] != '=') return Problem(number, "value line without '='");
    ++pos;
    while (pos < text.size() && (text[pos] == ' ' || text[pos] == '\t')) ++pos;
    const std::string_view data = text.substr(pos);

    if (TrimView(data) == "-") {
      operation.kind = TRegFileOperation::kDeleteValue;
    } else if (!data.empty() && data[0] == '"') {
      size_t end = 0;
      auto value = QuotedString(data, end, reason);
      if (!value) return Problem(number, reason);
      if (!TrimView(data.substr(end)).empty()) return Problem(number, "text after a quoted value");
      operation.kind = TRegFileOperation::kSetValue;
      operation.type = platform::kRegSz;
      operation.data = std::move(*value);
      operation.data.push_back('\0');
    } else if (StartsWithNoCase(data, "dword:")) {
      const std::string_view digits = TrimView(data.substr(6));
      if (digits.empty() || digits.size() > 8)
        return Problem(number, "dword value needs 1 to 8 hexadecimal digits");
      std::uint32_t value = 0;
      for (char c : digits) {
        const int digit = HexDigit(c);
        if (digit < 0) return Problem(number, "dword value needs 1 to 8 hexadecimal digits");
        value = value * 16 + static_cast<std::uint32_t>(digit);
      }
      operation.kind = TRegFileOperation::kSetValue;
      operation.type = platform::kRegDword;
      for (int i = 0; i < 4; ++i) operation.data.push_back(static_cast<char>((value >> (8 * i)) & 0xFF));
    } else if (StartsWithNoCase(data, "hex")) {
      std::uint32_t type = platform::kRegBinary;
      size_t colon = 3;
      if (colon < data.size() && data[colon] == '(') {
        const size_t close = data.find(')', colon);
        if (close == std::string_view::npos || close == colon + 1 || close - colon - 1 > 8)
          return Problem(number, "malformed hex(type)");
        type = 0;
        for (size_t i = colon + 1; i < close; ++i) {
          const int digit = HexDigit(data[i]);
          if (digit < 0) return Problem(number, "malformed hex(type)");
          type = type * 16 + static_cast<std::uint32_t>(digit);
        }
        colon = close + 1;
      }
      if (colon >= data.size() || data[colon] != ':') return Problem(number, "malformed hex value");
      auto bytes = HexBytes(data.substr(colon + 1));
      if (!bytes) return Problem(number, "malformed hexadecimal bytes");
      if (contents_.format == TRegFileContents::kVersion5 && platform::IsTextType(type)) {
        // Text types are stored as UTF-16 in this format's hex form.
        if (bytes->size() % 2 != 0) return Problem(number, "UTF-16 text data of odd length");
        // Narrowed in place: each unit's byte lands before the unit is read again.
        std::string& text = *bytes;
        for (size_t i = 0; i < text.size(); i += 2) {
          const auto c = Narrow().Unit(UnitAt(text, i));
          if (!c) return Problem(number, "value data has characters outside the code page");
          text[i / 2] = *c;
        }
        text.resize(text.size() / 2);
      }
      operation.kind = TRegFileOperation::kSetValue;
      operation.type = type;
      operation.data = std::move(*bytes);
    } else {
      return Problem(number, "unrecognised value data");
    }
    contents_.operations.push_back(std::move(operation));
  }

  enum class KeyState { kNone, kOpen, kDeleted, kBroken };
  TRegFileContents& contents_;
  KeyState keyState_ = KeyState::kNone;
  std::string currentKey_;
  std::string joined_;                // a value continued over lines, reused between values
  std::optional<Narrower> narrower_;  // asks for the code page only when needed
};

// Root handle and path below it of an operation's key path.
void SplitKeyPath(const std::string& keyPath, platform::RegHandle& root, std::string& below) {
  const size_t slash = keyPath.find('\\');
  root = NameToRootKey(std::string_view(keyPath).substr(0, slash));
  below = slash == std::string::npos ? std::string() : keyPath.substr(slash + 1);
}

// Whether the key is still there, even if it refuses to be opened.
bool KeyStillExists(const std::string& keyPath) {
  platform::RegHandle root;
  std::string below;
  SplitKeyPath(keyPath, root, below);
  if (OpenReadOnly(root, "\\" + below)) return true;
  const size_t slash = below.rfind('\\');
  const std::string parent = slash == std::string::npos ? std::string() : below.substr(0, slash);
  const std::string name = slash == std::string::npos ? below : below.substr(slash + 1);
  auto parentKey = OpenReadOnly(root, "\\" + parent);
  if (!parentKey) return false;
  std::vector<std::string> names;
  parentKey->GetKeyNames(names);
  for (const auto& candidate : names)
    if (SameText(candidate, name)) return true;
  return false;
}

}  // namespace

TRegFileContents TRegFileReader::Parse(std::string_view bytes) {
  TRegFileContents contents;
  std::string storage;
  const std::vector<Line> lines = DecodeLines(bytes, storage, contents.problems);
  Parser(contents).Run(lines);
  return contents;
}

TRegFileContents TRegFileReader::Load(std::string_view path) {
  auto bytes = platform::Files().ReadWholeFile(path);
  if (!bytes) {
    TRegFileContents contents;
    contents.problems.push_back({0, "the file cannot be read"});
    return contents;
  }
  return Parse(*bytes);
}

std::vector<TRegFileProblem> TRegFileReader::Apply(const std::vector<TRegFileOperation>& operations) {
  std::vector<TRegFileProblem> problems;
  TFastRegistry reg;
  std::string openPath;
  bool isOpen = false;
  auto open = [&](const std::string& keyPath, bool create) {
    if (isOpen && openPath == keyPath) return true;
    reg.CloseKey();
    isOpen = false;
    platform::RegHandle root;
    std::string below;
    SplitKeyPath(keyPath, root, below);
    reg.SetRootKey(root);
    // From the root, so the path is taken exactly as written.
    if (!reg.OpenKey("\\" + below, create)) return false;
    isOpen = true;
    openPath = keyPath;
    return true;
  };

  for (const auto& operation : operations) {
    switch (operation.kind) {
      case TRegFileOperation::kCreateKey:
        // A key that exists but refuses to be opened for writing is there,
        // as the line asks; the values below it report their own failures.
        if (!open(operation.keyPath, true) && !KeyStillExists(operation.keyPath))
          problems.push_back({operation.line, "the key cannot be created"});
        break;
      case TRegFileOperation::kSetValue: {
        if (!open(operation.keyPath, true)) {
          problems.push_back({operation.line, "the key cannot be created or opened"});
          break;
        }
        const RegStatus status = reg.WriteRawData(operation.valueName, operation.type, operation.data);
        if (status != platform::kErrorSuccess)
          problems.push_back(
              {operation.line, "the value cannot be written (status " + std::to_string(status) + ")"});
        break;
      }
      case TRegFileOperation::kDeleteValue:
        if (!open(operation.keyPath, false)) {
          if (KeyStillExists(operation.keyPath))
            problems.push_back({operation.line, "the key of the value cannot be opened"});
          break;
        }
        if (!reg.DeleteValue(operation.valueName) && reg.ValueExists(operation.valueName))
          problems.push_back({operation.line, "the value cannot be deleted"});
        break;
      case TRegFileOperation::kDeleteKey: {
        reg.CloseKey();
        isOpen = false;
        platform::RegHandle root;
        std::string below;
        SplitKeyPath(operation.keyPath, root, below);
        reg.SetRootKey(root);
        if (!reg.DeleteKey("\\" + below) && KeyStillExists(operation.keyPath))
          problems.push_back({operation.line, "the key cannot be deleted"});
        break;
      }
    }
  }
  return problems;
}

}  // namespace vp
