#include "backup/RegExport.h"

#include <optional>
#include <vector>

#include "backup/RegExportText.h"
#include "platform/Platform.h"

namespace vp::backup {
namespace {

using platform::Reg;
using platform::RegHandle;
using platform::RegStatus;

// A handle closed on scope exit.
class OpenedKey {
 public:
  OpenedKey(RegHandle root, std::string_view path) {
    // The section header keeps a trailing backslash; the key is the same.
    if (!path.empty() && path.back() == '\\') path.remove_suffix(1);
    if (Reg().OpenKey(root, path, platform::kKeyRead, key_) != platform::kErrorSuccess)
      key_ = platform::kNoKey;
  }
  ~OpenedKey() {
    if (key_ != platform::kNoKey) Reg().CloseKey(key_);
  }
  OpenedKey(const OpenedKey&) = delete;
  OpenedKey& operator=(const OpenedKey&) = delete;

  bool IsOpen() const { return key_ != platform::kNoKey; }
  RegHandle Get() const { return key_; }

 private:
  RegHandle key_ = platform::kNoKey;
};

// Starts the key's section unless the text already ends under its header.
void StartSection(const std::string& header, ExportText& out) {
  if (out.header == header) return;
  out.text += kLineEnd;
  out.text += header;
  out.text += kLineEnd;
  out.header = header;
}

bool AppendValueLines(RegHandle key, std::string_view name, bool oldFormat, std::string& text) {
  uint32_t type = 0;
  std::string data;
  if (Reg().QueryValue(key, name, &type, &data) != platform::kErrorSuccess) return false;
  auto lines = ValueLines(name, type, data, oldFormat);
  if (!lines) return false;
  text += *lines;
  return true;
}

// Every name the enumeration gives; empty when one cannot be given exactly.
std::optional<std::vector<std::string>> ListNames(RegHandle key, bool values) {
  std::vector<std::string> names;
  for (uint32_t index = 0;; ++index) {
    std::string name;
    const RegStatus status = values ? Reg().EnumValue(key, index, name) : Reg().EnumKey(key, index, name);
    if (status == platform::kErrorNoMoreItems) return names;
    if (status != platform::kErrorSuccess) return std::nullopt;
    names.push_back(std::move(name));
  }
}

bool ExportTree(RegHandle root, std::string_view rootName, const std::string& subKey, ExportText& out,
                const std::function<void()>& keepAlive) {
  if (!FitsOnRegLine(subKey)) return false;
  OpenedKey key(root, subKey);
  if (!key.IsOpen()) return false;
  auto subKeys = ListNames(key.Get(), false);
  if (!subKeys) return false;
  for (size_t i = 0; i < subKeys->size(); ++i) {
    if (keepAlive && i % 100 == 0) keepAlive();
    if (!ExportTree(root, rootName, subKey + (*subKeys)[i] + "\\", out, keepAlive)) return false;
  }
  auto values = ListNames(key.Get(), true);
  if (!values) return false;
  StartSection(KeyHeaderLine(rootName, subKey), out);
  for (const auto& name : *values) {
    if (!AppendValueLines(key.Get(), name, out.oldFormat, out.text)) return false;
  }
  return true;
}

}  // namespace

bool ExportValue(RegHandle root, std::string_view rootName, std::string_view subKey,
                 std::string_view valueName, ExportText& out) {
  if (!FitsOnRegLine(subKey)) return false;
  OpenedKey key(root, subKey);
  if (!key.IsOpen()) return false;
  ExportText result = out;
  StartSection(KeyHeaderLine(rootName, subKey), result);
  if (!AppendValueLines(key.Get(), valueName, result.oldFormat, result.text)) return false;
  out = std::move(result);
  return true;
}

bool ExportKeyTree(RegHandle root, std::string_view rootName, std::string_view subKey, ExportText& out,
                   const std::function<void()>& keepAlive) {
  ExportText result = out;
  if (!ExportTree(root, rootName, std::string(subKey), result, keepAlive)) return false;
  out = std::move(result);
  return true;
}

}  // namespace vp::backup
