#include "registry/RegExport.h"

#include <optional>
#include <utility>

#include "files/StringTools.h"
#include "registry/FastRegistry.h"
#include "registry/RegExportText.h"

namespace vp {
namespace {

using platform::RegHandle;

std::string WithoutTrailingBackslash(std::string_view path) {
  if (!path.empty() && path.back() == '\\') path.remove_suffix(1);
  return std::string(path);
}

// Starts the key's section unless the text already ends under its header.
void StartSection(const std::string& header, ExportText& out) {
  if (out.header == header) return;
  out.text += kLineEnd;
  out.text += header;
  out.text += kLineEnd;
  out.header = header;
}

class TreeExporter {
 public:
  TreeExporter(RegHandle root, const KeyTreeExport& how, ExportText& out)
      : root_(root), rootName_(RootKeyToName(root)), how_(how), out_(out) {}

  bool Export(const std::string& path, bool top) {
    if (!FitsOnRegLine(path)) return Fail("a key name below " + rootName_ + " holds a line break");
    auto key = OpenReadOnly(root_, path);
    if (!key) return Fail("the key " + KeyName(path) + " cannot be read");
    std::vector<std::string> subKeys;
    if (how_.leaveOutUnnamed)
      key->GetKeyNames(subKeys);
    else if (!key->GetKeyNamesComplete(subKeys))
      return Fail("a sub-key of " + KeyName(path) + " cannot be read exactly");
    std::vector<TRegValue> values;
    if (!ReadValues(*key, path, values)) return false;
    key.reset();
    if (path.empty() && !values.empty())
      return Fail("the root " + rootName_ + " holds values, which have no section to go in");
    if (!how_.subKeysFirst && !WriteSection(path, values)) return false;
    for (size_t i = 0; i < subKeys.size(); ++i) {
      if (how_.keepAlive && i % 100 == 0) how_.keepAlive();
      if (top && IsLeftOut(subKeys[i])) continue;
      if (!Export(path.empty() ? subKeys[i] : path + "\\" + subKeys[i], false)) return false;
    }
    return !how_.subKeysFirst || WriteSection(path, values);
  }

  const std::string& Reason() const { return reason_; }

 private:
  bool Fail(std::string reason) {
    reason_ = std::move(reason);
    return false;
  }

  std::string KeyName(const std::string& path) const {
    return path.empty() ? rootName_ : rootName_ + "\\" + path;
  }

  bool IsLeftOut(const std::string& name) const {
    for (const std::string& entry : how_.leftOutSubKeys)
      if (SameText(entry, name)) return true;
    return false;
  }

  // Names, types and data in one pass (one registry call per value) when
  // every entry must come out; otherwise value by value, so that a name with
  // no code-page form is told apart from data without one.
  bool ReadValues(TFastRegistry& key, const std::string& path, std::vector<TRegValue>& values) {
    if (!how_.leaveOutUnnamed) {
      if (key.GetValuesComplete(values)) return true;
      return Fail("a value of " + KeyName(path) + " cannot be read");
    }
    std::vector<std::string> names;
    key.GetValueNames(names);
    for (std::string& name : names) {
      TRegValue value;
      if (!key.ReadRawData(name, value.Type, value.Data))
        return Fail("a value of " + KeyName(path) + " cannot be read");
      value.Name = std::move(name);
      values.push_back(std::move(value));
    }
    return true;
  }

  bool WriteSection(const std::string& path, const std::vector<TRegValue>& values) {
    if (path.empty()) return true;
    StartSection(KeyHeaderLine(rootName_, how_.headersEndInBackslash ? path + "\\" : path), out_);
    for (const TRegValue& value : values) {
      std::optional<std::string> lines = ValueLines(value.Name, value.Type, value.Data, out_.oldFormat);
      if (!lines) return Fail("a value name of " + KeyName(path) + " holds a line break");
      out_.text += *lines;
    }
    return true;
  }

  RegHandle root_;
  std::string rootName_;
  const KeyTreeExport& how_;
  ExportText& out_;
  std::string reason_;
};

}  // namespace

bool ExportValue(const TKeyAddress& key, std::string_view valueName, ExportText& out) {
  const std::string path = WithoutTrailingBackslash(key.Path);
  if (key.Root == platform::kNoKey || !FitsOnRegLine(path)) return false;
  auto reg = OpenReadOnly(key.Root, path);
  if (!reg) return false;
  uint32_t type = 0;
  std::string data;
  if (!reg->ReadRawData(valueName, type, data)) return false;
  auto lines = ValueLines(valueName, type, data, out.oldFormat);
  if (!lines) return false;
  // The header names the key as the address gives it (a closing backslash
  // names the same key).
  StartSection(KeyHeaderLine(key.RootName(), key.Path), out);
  out.text += *lines;
  return true;
}

bool ExportKeyTree(const TKeyAddress& key, ExportText& out, const KeyTreeExport& how, std::string* reason) {
  if (key.Root == platform::kNoKey) {
    if (reason) *reason = "the key has no root";
    return false;
  }
  ExportText result = out;
  TreeExporter exporter(key.Root, how, result);
  if (!exporter.Export(WithoutTrailingBackslash(key.Path), true)) {
    if (reason) *reason = exporter.Reason();
    return false;
  }
  out = std::move(result);
  return true;
}

}  // namespace vp
