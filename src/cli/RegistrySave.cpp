#include "cli/RegistrySave.h"

#include <optional>

#include "files/StringTools.h"
#include "registry/FastRegistry.h"
#include "registry/RegExportText.h"

namespace vp::cli {

namespace {

bool IsSkipped(const std::vector<std::string>& skipped, const std::string& name) {
  for (const std::string& entry : skipped)
    if (SameText(entry, name)) return true;
  return false;
}

bool AppendKey(platform::RegHandle root, const std::string& rootName, const std::string& path,
               const std::vector<std::string>& skipped, std::string& text, std::string& reason) {
  const std::string keyName = path.empty() ? rootName : rootName + "\\" + path;
  TFastRegistry key;
  key.SetRootKey(root);
  if (!key.OpenKeyReadOnly(path)) {
    reason = "the key " + keyName + " cannot be read";
    return false;
  }
  std::vector<std::string> values;
  std::vector<std::string> subKeys;
  // A name with no form in the code page cannot be written to the file (nor
  // read from one): it is left out. Everything else must come out exactly.
  key.GetValueNames(values);
  key.GetKeyNames(subKeys);
  if (!path.empty()) {
    if (!FitsOnRegLine(path)) {
      reason = "a key name below " + rootName + " holds a line break";
      return false;
    }
    text += KeyHeaderLine(rootName, path);
    text += kLineEnd;
    for (const std::string& name : values) {
      uint32_t type = 0;
      std::string data;
      if (!key.ReadRawData(name, type, data)) {
        reason = "a value of " + keyName + " cannot be read";
        return false;
      }
      const std::optional<std::string> lines = ValueLines(name, type, data, true);
      if (!lines) {
        reason = "a value name of " + keyName + " holds a line break";
        return false;
      }
      text += *lines;
    }
    text += kLineEnd;
  } else if (!values.empty()) {
    reason = "the root " + rootName + " holds values, which have no section to go in";
    return false;
  }
  key.CloseKey();
  for (const std::string& name : subKeys) {
    if (path.empty() && IsSkipped(skipped, name)) continue;
    if (!AppendKey(root, rootName, path.empty() ? name : path + "\\" + name, skipped, text, reason))
      return false;
  }
  return true;
}

}  // namespace

std::optional<std::string> RegistryFileText(const std::vector<RegistryRootExport>& roots,
                                            std::string* reason) {
  std::string why;
  std::string text = "REGEDIT4";
  text += kLineEnd;
  text += kLineEnd;
  for (const RegistryRootExport& root : roots) {
    if (!AppendKey(root.root, RootKeyToName(root.root), "", root.skipped, text, why)) {
      if (reason) *reason = why;
      return std::nullopt;
    }
  }
  return text;
}

}  // namespace vp::cli
