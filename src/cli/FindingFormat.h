#pragma once

// How findings are written for people and scripts, and how a list of chosen
// findings is read back.

#include <iosfwd>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "scanner/SweeperTypes.h"

namespace vp::cli {

inline constexpr std::string_view kTableHeader = "Key | Entry | Problem";

// The texts of these lines come from the language given, the one in use.

// "key | entry | problem".
std::string TableRow(const TNewItem& item, const TCleanerLanguage& texts);

// "key | entry": what a selection file holds for a finding.
std::string SelectionLine(const TNewItem& item, const TCleanerLanguage& texts);

// One JSON object on one line (no line end): key, root, key_path,
// whole_key, value, data, code, problem, severity, detail, ignored. Only
// value, data, problem and detail are texts of the language. The 8-bit text
// is taken as code page 1252; everything outside printable ASCII is written
// as \u escapes.
std::string JsonLine(const TNewItem& item, const TCleanerLanguage& texts);

// A JSON string literal with its quotes.
std::string JsonString(std::string_view text);

// The findings a selection file's text chooses, and its lines that match
// none. A line chooses the finding whose "key | entry" it equals (key
// without regard to case), or that it starts with followed by " | " (a
// whole table row). Empty lines, the table header and lines starting with
// "#" are skipped.
struct Selection {
  std::vector<TNewItem> chosen;  // in the order of the findings, each once
  std::vector<std::string> unmatched;
};
Selection SelectFindings(std::string_view fileText, const std::vector<TNewItem>& findings,
                         const TCleanerLanguage& texts);

// The lines of a selection file that choose something (CR LF or LF): empty
// lines, lines starting with "#" and the header are left out.
std::vector<std::string_view> SelectionLines(std::string_view fileText, std::string_view header);

// The text of the selection file a command was given: empty when none was
// named; nothing, after telling err, when the named file cannot be read.
std::optional<std::string> ReadSelectionFile(const std::string& path, std::string_view command,
                                             std::ostream& err);

}  // namespace vp::cli
