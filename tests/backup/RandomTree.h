#pragma once

#include <random>

#include "backup/BackupFixture.h"

namespace vp::backup::test {

// A random key tree: every key path below the top ("" is the top), with
// values of every type, names with quotes, backslashes, "@", "=" and
// code-page characters above 127, text with line breaks and inner NULs, and
// binary data past several wrapped lines. Names of siblings differ without
// regard to case.
// Without the forms the system's registry editor cannot export faithfully
// (a DWORD of another size than 4, a string with an inner NUL) when
// forExport is set; value names then also hold line breaks, which the
// editor writes as escapes.
TreeSnapshot RandomTree(std::mt19937& random, int maxDepth = 3, bool forExport = false);

}  // namespace vp::backup::test
