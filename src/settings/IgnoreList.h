#pragma once

// The ignore lists of the data folder, merged into the one list a scan uses.

#include <optional>
#include <string>
#include <string_view>

#include "files/StringTools.h"

namespace vp {

// The three files, in the order they are read.
inline constexpr const char* kIgnoreListFiles[] = {"IgnoreList.dat", "Default IgnoreList.dat",
                                                   "Custom IgnoreList.dat"};

// The entries of one file's text: each line trimmed and lower-cased, cut
// before the first "//" (and trimmed again); empty lines dropped.
StringList ParseIgnoreEntries(std::string_view fileText);

// The merged list of the files in dataFolder (with or without a trailing
// backslash): every entry in file order, then line order; duplicates stay. A
// missing file adds nothing. Empty optional when a file exists but cannot be
// read.
std::optional<StringList> LoadMergedIgnoreList(std::string_view dataFolder);

}  // namespace vp
