#pragma once

// Drive-letter paths in free-form text: finding them, trimming them of
// arguments and decorations, and picking the most plausible one. Pure text
// routines, safe on any thread.

#include <string>
#include <string_view>

#include "files/StringTools.h"

namespace vp {

// The folder part of a path: up to and including the last "\" or ":".
std::string_view PathFolderPart(std::string_view path);

// The extension: from the last "." after the folder part; "" when none.
std::string_view PathExtension(std::string_view path);

// The extension written after a dot, from the (up to 10) characters that
// follow it: a known four- or three-letter extension in lower case, else the
// text cut before the first character that cannot be part of one (a full
// 10-character text keeps its first 3).
std::string NormalizeExtension(std::string_view text);

// For each dot from the left, the text up to the dot plus its normalised
// extension, trimmed; the first that is a strictly valid path, or "".
std::string CutAtExtension(std::string_view text);

// The paths that start at each ":\" of the text (from the letter before it),
// cut at their extension; in order of occurrence.
StringList ExtractPathCandidates(std::string_view text);

// How much a text looks like a path: the share of path-like characters, less
// the spread of the character codes and a term that favours mixed case, less
// 1.25 per dot unless there is exactly one; rounded half to even. 0 for a
// text shorter than 3 characters.
int PathScore(std::string_view text);

// The entry with the highest PathScore (ties to the earlier one); the first
// entry unless another scores above 0 and above it; "" for an empty list.
std::string PickMostPlausible(const StringList& list);

// The most plausible drive-letter path inside the text; the text itself when
// it is a bare file name with an extension; otherwise "".
std::string BestPathIn(std::string_view text);

}  // namespace vp
