#pragma once

// Matching of scan findings against ignore entries. Entries are lower-case
// lines as the merged ignore list holds them; every comparison here is
// without regard to case.

#include <functional>
#include <string>
#include <string_view>

#include "files/StringTools.h"

namespace vp {

// Prefix of an exact-path entry: "sqxee:" + root\key\value, lower case.
inline constexpr std::string_view kExactIgnorePrefix = "sqxee:";

// The first entry of the list that occurs inside text, or null. Exact-path
// entries take part like any other line (they hardly ever occur in a path).
const std::string* FindPlainIgnore(const StringList& list, std::string_view text);

// The first exact-path entry naming rootName\keyPath\valueName, or null. The
// three parts are trimmed; a value name equal to wholeKeyText (the item stands
// for a whole key) counts as empty, so such an entry ends in a backslash.
// The search gives up (null) as soon as stopRequested says so.
const std::string* FindExactIgnore(const StringList& list, std::string_view rootName,
                                   std::string_view keyPath, std::string_view valueName,
                                   std::string_view wholeKeyText,
                                   const std::function<bool()>& stopRequested = {});

// The first rule of an extra ignore list that matches, or null. Rules:
//   "::text"            text occurs in rootAndKey, valueName or valueData;
//   "[key]"             key equals rootAndKey, or either contains the other;
//   "[key]name=data"    the same, and name equals valueName (data is not
//                       compared);
// any other line is skipped.
const std::string* FindExtraIgnore(const StringList& rules, std::string_view rootAndKey,
                                   std::string_view valueName, std::string_view valueData);

}  // namespace vp
