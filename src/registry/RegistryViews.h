#pragma once

// The two registry views of a 64-bit system, as the checks see them. The
// 32-bit programs keep their own keys below the Wow6432Node keys; a check
// looks at the key of each view, names it as it is reached by name
// ("Software\Wow6432Node\..."), so that a fix, its backup and a restore act
// on that very key, and looks only once at a key the views share.

#include <string>
#include <string_view>
#include <vector>

#include "platform/Registry.h"

namespace vp {

struct TKeyView {
  std::string Path;     // below the root, as it is opened by name
  bool View32 = false;  // the 32-bit programs' own key
};

// The keys of root\path in both views that open: the 64-bit key first, then
// the 32-bit key when it is another key and can be named (below
// HKLM\Software, HKEY_CLASSES_ROOT and the user's classes).
std::vector<TKeyView> KeyViews(platform::RegHandle root, std::string_view path);

// Whether the key at root\path is the key of that name itself, not another
// reached through a link (a key shared with the other view).
bool IsOwnKey(platform::RegHandle root, std::string_view path);

}  // namespace vp
