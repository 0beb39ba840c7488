#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

#include "platform/Registry.h"
#include "registry/KeyAddress.h"

// Renders registry values and key trees as "Entries.reg" sections. Reads go
// straight through the registry seam because a backup must know that it saw
// everything: an entry the seam cannot give exactly (a name or text with no
// code-page form), a key it may not open or a value that vanished makes the
// export fail, so the change it was meant to protect never happens.
namespace vp::backup {

// The text being added to "Entries.reg" and the key header it ends under.
// A value goes under the last header when that header is its key's, as a
// search from the end of the file would find it; otherwise a new section
// starts. Commit `header` only once the text is durable.
struct ExportText {
  std::string text;
  std::string header;
  bool oldFormat = false;  // the file has the "REGEDIT4" header
};

// Appends the lines of one value (empty name: the default value) of the key.
// False, leaving `out` as it was, when the address has no root or the key or
// the value cannot be read exactly.
bool ExportValue(const TKeyAddress& key, std::string_view valueName, ExportText& out);

// Appends the sections of the key and of every key below it, each key after
// all of its sub-keys. `keepAlive`, when set, runs before the sub-keys with
// index 0, 100, 200, ... False, leaving `out` as it was, when the address has
// no root or any part of the tree cannot be read.
bool ExportKeyTree(const TKeyAddress& key, ExportText& out, const std::function<void()>& keepAlive = {});

}  // namespace vp::backup
