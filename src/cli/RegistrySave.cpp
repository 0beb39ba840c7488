#include "cli/RegistrySave.h"

#include "registry/RegExport.h"
#include "registry/RegExportText.h"

namespace vp::cli {

std::optional<std::string> RegistryFileText(const std::vector<RegistryRootExport>& roots,
                                            std::string* reason) {
  // Every section starts after an empty line; the file ends with one.
  ExportText out{"REGEDIT4" + std::string(kLineEnd), "", true};
  for (const RegistryRootExport& root : roots) {
    KeyTreeExport how;
    how.subKeysFirst = false;
    how.headersEndInBackslash = false;
    how.leaveOutUnnamed = true;
    how.leftOutSubKeys = root.skipped;
    if (!ExportKeyTree(TKeyAddress{root.root, ""}, out, how, reason)) return std::nullopt;
  }
  out.text += kLineEnd;
  return std::move(out.text);
}

}  // namespace vp::cli
