#include "backup/RegExport.h"

#include <vector>

#include "files/StringTools.h"
#include "registry/FastRegistry.h"
#include "registry/RegExportText.h"

namespace vp::backup {
namespace {

using platform::RegHandle;

// The key below root, opened for reading; the section header's trailing
// backslash names the same key.
bool OpenForExport(TFastRegistry& reg, RegHandle root, std::string_view path) {
  if (!path.empty() && path.back() == '\\') path.remove_suffix(1);
  reg.SetRootKey(root);
  return reg.OpenKeyReadOnly(path);
}

// Starts the key's section unless the text already ends under its header.
void StartSection(const std::string& header, ExportText& out) {
  if (out.header == header) return;
  out.text += kLineEnd;
  out.text += header;
  out.text += kLineEnd;
  out.header = header;
}

bool AppendValueLines(TFastRegistry& reg, std::string_view name, bool oldFormat, std::string& text) {
  uint32_t type = 0;
  std::string data;
  if (!reg.ReadRawData(name, type, data)) return false;
  auto lines = ValueLines(name, type, data, oldFormat);
  if (!lines) return false;
  text += *lines;
  return true;
}

bool ExportTree(RegHandle root, std::string_view rootName, const std::string& subKey, ExportText& out,
                const std::function<void()>& keepAlive) {
  if (!FitsOnRegLine(subKey)) return false;
  TFastRegistry key;
  if (!OpenForExport(key, root, subKey)) return false;
  // A name that cannot be given exactly fails the export: a backup never
  // leaves out part of what it stands for.
  std::vector<std::string> subKeys;
  if (!key.GetKeyNamesComplete(subKeys)) return false;
  for (size_t i = 0; i < subKeys.size(); ++i) {
    if (keepAlive && i % 100 == 0) keepAlive();
    if (!ExportTree(root, rootName, subKey + subKeys[i] + "\\", out, keepAlive)) return false;
  }
  // Names, types and data in one pass: one registry call per value.
  std::vector<TRegValue> values;
  if (!key.GetValuesComplete(values)) return false;
  StartSection(KeyHeaderLine(rootName, subKey), out);
  for (const auto& value : values) {
    auto lines = ValueLines(value.Name, value.Type, value.Data, out.oldFormat);
    if (!lines) return false;
    out.text += *lines;
  }
  return true;
}

}  // namespace

bool ExportValue(const TKeyAddress& key, std::string_view valueName, ExportText& out) {
  if (key.Root == platform::kNoKey || !FitsOnRegLine(key.Path)) return false;
  TFastRegistry reg;
  if (!OpenForExport(reg, key.Root, key.Path)) return false;
  ExportText result = out;
  StartSection(KeyHeaderLine(key.RootName(), key.Path), result);
  if (!AppendValueLines(reg, valueName, result.oldFormat, result.text)) return false;
  out = std::move(result);
  return true;
}

bool ExportKeyTree(const TKeyAddress& key, ExportText& out, const std::function<void()>& keepAlive) {
  if (key.Root == platform::kNoKey) return false;
  ExportText result = out;
  // Section headers name each key with its trailing backslash.
  if (!ExportTree(key.Root, key.RootName(), EnsureTrailing(key.Path, '\\'), result, keepAlive)) return false;
  out = std::move(result);
  return true;
}

}  // namespace vp::backup
