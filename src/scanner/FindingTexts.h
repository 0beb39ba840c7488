#pragma once

// The texts of a finding, made from the language in use where it is shown:
// a finding holds data only, so a language switch after a scan changes what
// is shown, never what a fix acts on.

#include <cstdint>
#include <string>

#include "scanner/SweeperTypes.h"

namespace vp {

struct ProblemDescription {
  std::string text;
  int severity = 0;
};

// The problem text and severity of a code; detail is what the check passed
// (the missing file for 102, the finding's own text for 106). An unknown code
// gives "Internal error 091" with severity 0.
ProblemDescription DescribeProblem(int32_t code, const std::string& detail, const TCleanerLanguage& texts);

// The check's detail as shown: the named language text of a code 106
// finding, else the detail itself.
std::string DetailText(const TNewItem& item, const TCleanerLanguage& texts);
// The value name, or the whole-key marker for a key.
std::string EntryText(const TNewItem& item, const TCleanerLanguage& texts);
// The value data; the whole-key marker for a key, the empty text for none.
std::string DataText(const TNewItem& item, const TCleanerLanguage& texts);
// The key date; the empty text when it is not known.
std::string DateText(const TNewItem& item, const TCleanerLanguage& texts);
// The problem text, wrapped in the ignored format for an ignored finding.
std::string ProblemText(const TNewItem& item, const TCleanerLanguage& texts);
// The text of the finding's severity.
std::string SeverityText(const TNewItem& item, const TCleanerLanguage& texts);

}  // namespace vp
