#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "files/StringTools.h"
#include "platform/Registry.h"
#include "registry/RegistryViews.h"

namespace vp {

// Read-only looks at one key for the readers; a key that cannot be opened
// reads as empty.
StringList SubKeyNames(platform::RegHandle root, std::string_view path);
bool KeyPresent(platform::RegHandle root, std::string_view path);
// A value read as text; empty when the key or the value is missing.
std::string ValueText(platform::RegHandle root, std::string_view path, std::string_view name);
bool ValuePresent(platform::RegHandle root, std::string_view path, std::string_view name);

// The first name of a list that a row shows as caption: names are shown
// capitalised, and the registry ignores letter case.
std::optional<std::string> NameShownAs(const StringList& names, const std::string& caption);

// The keys of root\path whose sub-keys a reader lists, one per registry
// view: the 64-bit key, then the 32-bit programs' own key when there is one.
// The top of HKEY_CLASSES_ROOT (an empty path) has one as well.
std::vector<TKeyView> ListedViews(platform::RegHandle root, std::string_view path);
// The sub-keys of a view's key that belong to the view: in the 64-bit view
// all but the Wow6432Node key itself; in the 32-bit view only the 32-bit
// programs' own keys, not those it shares with the 64-bit view (which lists
// them already).
StringList ViewSubKeyNames(platform::RegHandle root, const TKeyView& view);
// The key of root\path in a view, by the name a 64-bit program reaches it
// (the 32-bit one below Wow6432Node); nothing when the view has no key of
// its own there.
std::optional<std::string> PathInView(platform::RegHandle root, std::string_view path, bool view32);
// A path below a view's key.
std::string Below(const std::string& parent, std::string_view name);

}  // namespace vp
