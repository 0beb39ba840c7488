#pragma once

#include <random>

#include "backup/BackupFixture.h"

namespace vp::backup::test {

// A random key tree: every key path below the top ("" is the top), with
// values of every type, names with quotes, backslashes, "@", "=" and
// code-page characters above 127, text with line breaks and inner NULs, and
// binary data past several wrapped lines. Names of siblings differ without
// regard to case.
KeySnapshot RandomTree(std::mt19937& random, int maxDepth = 3);

}  // namespace vp::backup::test
