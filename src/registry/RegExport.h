#pragma once

#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "registry/KeyAddress.h"

// Renders registry values and key trees as .reg file sections: the one
// exporter behind a backup set's "Entries.reg" and the command line's
// written-back registry file. An entry that cannot be given exactly (a name
// or text with no code-page form, a key that may not be opened, a value that
// vanished) fails the export, unless the caller chose to leave out what has
// no code-page name: a backup must know that it saw everything.
namespace vp {

// The text being added to a .reg file and the key header it ends under. A
// value goes under the last header when that header is its key's, as a
// search from the end of the file would find it; otherwise a new section
// starts, after an empty line. Commit `header` only once the text is durable.
struct ExportText {
  std::string text;
  std::string header;
  bool oldFormat = false;  // the file has the "REGEDIT4" header
};

// How a key tree is exported.
struct KeyTreeExport {
  // Each key's section after those of all its sub-keys (a backup set's
  // order), or before them.
  bool subKeysFirst = true;
  // Section headers name keys with a closing backslash (a backup set's form).
  bool headersEndInBackslash = true;
  // Keys and values whose names have no code-page form are left out instead
  // of failing the export (no .reg file can have made them).
  bool leaveOutUnnamed = false;
  // Sub-keys of the exported key that are left out (another root shows
  // them, as HKEY_CURRENT_USER shows the user's key below HKEY_USERS).
  std::vector<std::string> leftOutSubKeys;
  // Runs before the sub-keys with index 0, 100, 200, ... of every key.
  std::function<void()> keepAlive;
};

// Appends the lines of one value (empty name: the default value) of the key.
// False, leaving `out` as it was, when the address has no root or the key or
// the value cannot be read exactly.
bool ExportValue(const TKeyAddress& key, std::string_view valueName, ExportText& out);

// Appends the sections of the key and of every key below it, empty keys
// included. A root itself has no section: values on it fail the export.
// False, leaving `out` as it was and saying why in `reason` when given, when
// the address has no root or any part of the tree cannot be written exactly.
bool ExportKeyTree(const TKeyAddress& key, ExportText& out, const KeyTreeExport& how = {},
                   std::string* reason = nullptr);

}  // namespace vp
