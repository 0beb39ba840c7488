#pragma once

// Wildcard masks for file names: "*" matches any run of characters, "?"
// exactly one, and "[...]" one character of a set, where "x-y" inside the
// brackets is a range and a leading "!" negates the set. Letters match
// without regard to case (fixed upper-case table).
//
// A malformed mask is reported as a status with the text
// "'<mask>' is an invalid mask at (<position>)", never thrown, so that the
// functions may run on any thread.

#include <optional>
#include <string>
#include <string_view>

#include "files/StringTools.h"

namespace vp {

// The error text of a malformed mask, or empty when the mask is well formed.
// Malformed: a "[" without its "]", an empty set ("[]", "[!]"), a range
// without its end ("[a-]"). The position is the 1-based index of the "[" of
// the faulty set.
std::optional<std::string> MaskError(std::string_view mask);

// Whether name matches the mask; a malformed mask matches nothing.
bool MatchesMask(std::string_view name, std::string_view mask);

// Whether a file name matches a mask list such as "*.exe;*.dll -setup*":
// - a list of exactly "*" or "*.*" matches every name;
// - when the list holds no backslash but the name does, only the name's last
//   part is matched;
// - every " -" introduces an exclusion mask that runs to the next blank or
//   ";"; the rest, split at ";", gives the inclusion masks ("*" and "*.*"
//   match everything);
// - the name matches when an inclusion mask matches, no exclusion mask
//   matches and no entry of excludedTexts occurs in it (without regard to
//   case).
// A malformed mask makes the answer false and, when error is given, sets it
// to the mask's error text.
bool MatchesMaskList(std::string_view fileName, std::string_view maskList, const StringList& excludedTexts,
                     std::string* error = nullptr);

}  // namespace vp
