#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "core/Clock.h"
#include "platform/Registry.h"

// The text of a backup set's "Entries.reg": a registry export that the
// system's registry editor and our own .reg reader both import. Pure
// functions; every line ends with CR LF.
namespace vp {

constexpr std::string_view kLineEnd = "\r\n";
// A wrapped hex line ends with a backslash; the next one starts with two blanks.
constexpr std::string_view kHexContinuation = "\\\r\n  ";

// Doubles every backslash and puts a backslash before every double quote.
std::string EscapeRegText(std::string_view text);

struct RegFileHeaderInfo {
  std::string usedBy;          // "; Component used by: "
  std::string programVersion;  // trimmed for the comment
  std::string description;     // trimmed; line breaks become blanks
  LocalTime now;
};

// The header that opens the file: "REGEDIT4" and an empty line in the old
// format, otherwise the version 5 line, the comment block and an empty line.
std::string RegFileHeader(bool oldFormat, const RegFileHeaderInfo& info);

// "[" root "\" subKey "]", or "[" root "]" for an empty sub-key (no CR LF).
std::string KeyHeaderLine(std::string_view rootName, std::string_view subKey);

// A name or key path that a .reg line can carry: no CR or LF in it.
bool FitsOnRegLine(std::string_view text);

// "@" for the default (empty) name, else the escaped name in double quotes.
std::string ValueNamePart(std::string_view valueName);

// The hex byte list of the binary form: upper-case pairs separated by commas,
// wrapped after the comma that follows byte i when i > 0 and i % 25 == 0.
std::string HexByteList(std::string_view bytes);

// The hex(7) list of a multi-string: each code-page byte becomes its UTF-16
// unit (low byte, high byte), wrapped by the multi-string counter rule.
std::string MultiStringHexList(std::string_view data);

// The code-page text as UTF-16LE bytes.
std::string Utf16LeBytes(std::string_view text);

// The line(s) of one value, ending with CR LF. `data` is the value's data as
// stored, string types as code-page bytes with their NULs. Forms:
//   string without line break or inner NUL   "name"="escaped"
//   any other string                         hex(1): of its UTF-16 bytes
//   expandable string                        hex(2): of its UTF-16 bytes
//   multi-string                             hex(7): by the multi-string rule
//   4-byte DWORD                             "name"=dword:XXXXXXXX
//   binary                                   hex:
//   everything else                          hex(N): with the type number
// The hex forms are preceded by an empty line. Under the old "REGEDIT4"
// header, which importers read as 8-bit text, the text types' hex forms carry
// the code-page bytes themselves, by the binary wrapping rule. Empty when the
// name cannot be carried on one line: such a value must not be reported as
// backed up.
std::optional<std::string> ValueLines(std::string_view valueName, uint32_t type, std::string_view data,
                                      bool oldFormat = false);

// How the text is stored in "Entries.reg". Under the version 5 header the
// file is UTF-16LE with a byte order mark: that is the form in which every
// importer (the system's editor of any version, and our reader) takes the
// hex(2) and hex(7) data as UTF-16. An 8-bit file with that header is read
// one way by one editor and the other way by another. Under "REGEDIT4" the
// file is 8-bit, as importers expect. `atStart` adds the byte order mark.
std::string EntriesFileBytes(std::string_view text, bool wide, bool atStart);

// The text of a file written by EntriesFileBytes (either form); empty when
// UTF-16 text has a character outside the code page.
std::optional<std::string> EntriesFileText(std::string_view bytes);

}  // namespace vp
