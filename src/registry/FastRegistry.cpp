#include "registry/FastRegistry.h"

#include <cstring>
#include <utility>

#include "files/StringTools.h"
#include "platform/Platform.h"
#include "platform/System.h"

namespace vp {

using namespace platform;

namespace {

struct RootName {
  RegHandle root;
  const char* name;
  const char* shortName;
};

// The roots a path may name, in handle order.
constexpr RootName kRoots[] = {
    {kHkeyClassesRoot, "HKEY_CLASSES_ROOT", "HKCL"},     {kHkeyCurrentUser, "HKEY_CURRENT_USER", "HKCU"},
    {kHkeyLocalMachine, "HKEY_LOCAL_MACHINE", "HKLM"},   {kHkeyUsers, "HKEY_USERS", "HKUS"},
    {kHkeyCurrentConfig, "HKEY_CURRENT_CONFIG", "HKCC"}, {kHkeyDynData, "HKEY_DYN_DATA", "HKDD"},
};

struct Abbreviation {
  const char* component;
  const char* replacement;
};

constexpr Abbreviation kAbbreviations[] = {
    {"Software", "Soft"},         {"Hardware", "HWare"},
    {"Microsoft", "MSoft"},       {"Windows", "Win"},
    {"CurrentVersion", "CurVer"}, {"System", "Sys"},
    {".Default", ".Def"},         {"Default", "Def"},
    {"Environment", "Env"},       {"SessionInformation", "SesInfo"},
};

// The root's name for CurrentFullPath, which also knows the performance root.
std::string HandleName(RegHandle root) {
  if (root == kHkeyPerformanceData) return "HKEY_PERFORMANCE_DATA";
  return RootKeyToName(root);
}

std::string FullPath(RegHandle root, const std::string& path) {
  std::string full = HandleName(root);
  if (path.empty() || path.front() != '\\') full += '\\';
  return full + path;
}

// Text data up to its first NUL.
std::string UpToNul(const std::string& data) {
  return data.substr(0, data.find('\0'));
}

std::string TerminatedText(std::string_view text) {
  std::string data(text);
  data.push_back('\0');
  return data;
}

// Four bytes, little-endian; missing bytes of a short value read as zero.
std::int32_t DwordValue(const std::string& data) {
  std::uint32_t value = 0;
  for (size_t i = 0; i < 4 && i < data.size(); ++i)
    value |= std::uint32_t(static_cast<unsigned char>(data[i])) << (8 * i);
  return static_cast<std::int32_t>(value);
}

// The strings of REG_MULTI_SZ data up to the first empty one.
std::vector<std::string> MultiStringLines(const std::string& data) {
  std::vector<std::string> list;
  size_t start = 0;
  while (start < data.size()) {
    size_t end = data.find('\0', start);
    if (end == std::string::npos) end = data.size();
    if (end == start) break;  // the empty string that ends the list
    list.push_back(data.substr(start, end - start));
    start = end + 1;
  }
  return list;
}

}  // namespace

std::string ValueAsString(std::uint32_t type, const std::string& data) {
  if (type == kRegDword) {
    return std::to_string(DwordValue(data));
  }
  if (data.empty()) return std::string();
  switch (DataTypeOf(type)) {
    case rdString:
    case rdExpandString:
      return UpToNul(data);
    case rdMultiString: {
      std::string text;
      for (const auto& line : MultiStringLines(data)) text += line + "\r\n";
      return text;
    }
    default:
      return std::string();
  }
}

TRegDataType DataTypeOf(std::uint32_t registryType) {
  switch (registryType) {
    case kRegSz:
      return rdString;
    case kRegExpandSz:
      return rdExpandString;
    case kRegMultiSz:
      return rdMultiString;
    case kRegDword:
      return rdInteger;
    case kRegBinary:
      return rdBinary;
    default:
      return rdUnknown;
  }
}

std::uint32_t RegistryTypeOf(TRegDataType type) {
  switch (type) {
    case rdString:
      return kRegSz;
    case rdExpandString:
      return kRegExpandSz;
    case rdMultiString:
      return kRegMultiSz;
    case rdInteger:
      return kRegDword;
    case rdBinary:
      return kRegBinary;
    default:
      return kRegNone;
  }
}

// ---------------------------------------------------------------- keys

TFastRegistry::TFastRegistry() = default;

TFastRegistry::~TFastRegistry() {
  CloseKey();
}

TFastRegistry::TFastRegistry(TFastRegistry&& other) noexcept
    : currentKey_(std::move(other.currentKey_)),
      rootKey_(other.rootKey_),
      currentPath_(std::move(other.currentPath_)),
      currentFullPath_(std::move(other.currentFullPath_)),
      access_(other.access_) {
  other.currentPath_.clear();
  other.currentFullPath_.clear();
}

TFastRegistry& TFastRegistry::operator=(TFastRegistry&& other) noexcept {
  if (this != &other) {
    currentKey_ = std::move(other.currentKey_);
    rootKey_ = other.rootKey_;
    currentPath_ = std::move(other.currentPath_);
    currentFullPath_ = std::move(other.currentFullPath_);
    access_ = other.access_;
    other.currentPath_.clear();
    other.currentFullPath_.clear();
  }
  return *this;
}

std::optional<TFastRegistry> OpenReadOnly(RegHandle root, std::string_view path) {
  std::optional<TFastRegistry> registry(std::in_place);
  registry->SetRootKey(root);
  if (!registry->OpenKeyReadOnly(path)) return std::nullopt;
  return registry;
}

void TFastRegistry::SetRootKey(RegHandle root) {
  if (root == rootKey_) return;
  CloseKey();
  rootKey_ = root;
}

void TFastRegistry::CloseKey() {
  if (!currentKey_) return;
  currentKey_.Reset();
  currentPath_.clear();
  currentFullPath_.clear();
}

// Steps shared by the opens once the root is settled: a leading backslash
// starts at the root, anything else at the open key when there is one.
bool TFastRegistry::OpenBelow(std::string_view path, std::uint32_t access, bool canCreate) {
  const bool relative = path.empty() || path.front() != '\\';
  if (!relative) path.remove_prefix(1);
  const bool fromCurrent = relative && currentKey_;
  const RegHandle base = fromCurrent ? currentKey_.Get() : rootKey_;
  platform::RegKey opened;
  const RegStatus status = !canCreate || path.empty() ? Reg().Open(base, path, access, opened)
                                                      : Reg().Create(base, path, access, opened);
  if (status != kErrorSuccess) return false;
  std::string newPath = fromCurrent ? currentPath_ + "\\" + std::string(path) : std::string(path);
  currentKey_ = std::move(opened);
  currentPath_ = std::move(newPath);
  currentFullPath_ = FullPath(rootKey_, currentPath_);
  return true;
}

bool TFastRegistry::OpenKey(std::string_view path, bool canCreate) {
  const size_t slash = path.find('\\');
  const std::string first = slash == std::string_view::npos ? std::string(path) : Trim(path.substr(0, slash));
  const std::string upperFirst = Sys().UpperCase(first);
  for (const auto& root : kRoots) {
    if (upperFirst != root.name) continue;
    SetRootKey(root.root);
    const std::string rest = slash == std::string_view::npos ? std::string() : Trim(path.substr(slash + 1));
    return OpenBelow(rest, access_, canCreate);
  }
  return OpenBelow(path, access_, canCreate);
}

bool TFastRegistry::OpenKeyReadOnly(std::string_view path) {
  if (!OpenBelow(path, kKeyRead, false)) return false;
  access_ = kKeyRead;
  return true;
}

bool TFastRegistry::CreateKey(std::string_view path) {
  bool created = false;
  return CreateKeyReportingNew(path, created);
}

bool TFastRegistry::CreateKeyReportingNew(std::string_view path, bool& created) {
  created = false;
  const bool relative = path.empty() || path.front() != '\\';
  if (!relative) path.remove_prefix(1);
  platform::RegKey key;
  return Reg().Create(BaseOf(relative), path, kKeyAllAccess, key, &created) == kErrorSuccess;
}

bool TFastRegistry::KeyExists(std::string_view path) {
  const bool relative = path.empty() || path.front() != '\\';
  if (!relative) path.remove_prefix(1);
  platform::RegKey opened;
  return Reg().Open(BaseOf(relative), path, access_, opened) == kErrorSuccess;
}

bool TFastRegistry::DeleteKey(std::string_view path) {
  const bool relative = path.empty() || path.front() != '\\';
  if (!relative) path.remove_prefix(1);
  const RegHandle base = BaseOf(relative);
  platform::RegKey opened;
  if (Reg().Open(base, path, access_, opened) == kErrorSuccess) {
    // The system deletes only keys without sub-keys: empty this one first,
    // from the last sub-key down so the indexes stay valid. The sub-keys'
    // deletions work below it, so it stands in for the open key meanwhile.
    std::swap(currentKey_, opened);
    TRegKeyInfo info;
    if (GetKeyInfo(info)) {
      for (std::uint32_t index = info.NumSubKeys; index-- > 0;) {
        std::string name;
        // A name that cannot be read exactly is left alone; the key then
        // keeps a sub-key and its own deletion fails below.
        if (Reg().EnumKey(currentKey_.Get(), index, name) == kErrorSuccess && !name.empty()) DeleteKey(name);
      }
    }
    std::swap(currentKey_, opened);
    opened.Reset();
  }
  return Reg().DeleteKey(base, path) == kErrorSuccess;
}

bool TFastRegistry::GetKeyInfo(TRegKeyInfo& info) {
  info = TRegKeyInfo();
  if (!currentKey_) return false;
  RegKeyInfo raw;
  if (Reg().QueryKeyInfo(currentKey_.Get(), raw) != kErrorSuccess) return false;
  // Names travel as std::string here, so the lengths only describe the key;
  // no buffer is sized from them (the far-east doubling has no purpose).
  info.NumSubKeys = raw.subKeys;
  info.MaxSubKeyLen = raw.maxSubKeyLength;
  info.NumValues = raw.values;
  info.MaxValueLen = raw.maxValueNameLength;
  info.MaxDataLen = raw.maxValueDataSize;
  info.FileTime = raw.lastWriteTime;
  return true;
}

bool TFastRegistry::KnownOrAskedInfo(const TRegKeyInfo* known, TRegKeyInfo& info) {
  if (known == nullptr || !currentKey_) return GetKeyInfo(info);
  info = *known;
  return true;
}

bool TFastRegistry::HasSubKeys() {
  TRegKeyInfo info;
  return GetKeyInfo(info) && info.NumSubKeys > 0;
}

bool TFastRegistry::EnumerateNames(bool values, std::vector<std::string>& list, const TRegKeyInfo* known) {
  list.clear();
  TRegKeyInfo info;
  if (!KnownOrAskedInfo(known, info)) return false;
  const std::uint32_t count = values ? info.NumValues : info.NumSubKeys;
  bool complete = true;
  std::string name;
  for (std::uint32_t index = 0; index < count; ++index) {
    const RegStatus status = values ? Reg().EnumValue(currentKey_.Get(), index, name)
                                    : Reg().EnumKey(currentKey_.Get(), index, name);
    // Entries removed meanwhile shorten the list; nothing was missed.
    if (status == kErrorNoMoreItems) break;
    // An index that fails otherwise (a name with no exact 8-bit form) is
    // skipped rather than reported as some other name.
    if (status != kErrorSuccess || (!values && name.empty())) {
      complete = false;
      continue;
    }
    list.push_back(name);
  }
  return complete;
}

void TFastRegistry::GetKeyNames(std::vector<std::string>& list, const TRegKeyInfo* known) {
  EnumerateNames(false, list, known);
}

void TFastRegistry::GetValueNames(std::vector<std::string>& list, const TRegKeyInfo* known) {
  EnumerateNames(true, list, known);
}

namespace {
constexpr std::string_view kLinkValueName = "SymbolicLinkValue";
}  // namespace

void TFastRegistry::GetSubKeysDescribed(std::vector<TSubKey>& list, const TRegKeyInfo* known,
                                        const std::function<bool(const TRegKeyInfo&)>& nameWanted) {
  list.clear();
  TRegKeyInfo info;
  if (!KnownOrAskedInfo(known, info)) return;
  bool describe = true;
  for (std::uint32_t index = 0; index < info.NumSubKeys; ++index) {
    TSubKey entry;
    if (describe) {
      RegKeyInfo raw;
      const RegStatus described = Reg().QuerySubKeyInfo(currentKey_.Get(), index, raw);
      if (described == kErrorNoMoreItems) break;                  // removed meanwhile; nothing was missed
      if (described == kErrorInvalidParameter) describe = false;  // not for this key; no use asking again
      // A link to another key describes itself: no sub-keys and its one
      // value naming the target, where opening it shows the target. What
      // looks like one is left undescribed, so the caller opens it.
      const bool mayBeLink = raw.values == 1 && raw.maxValueNameLength == kLinkValueName.size();
      if (described == kErrorSuccess && !mayBeLink) {
        entry.Described = true;
        entry.Info.NumSubKeys = raw.subKeys;
        entry.Info.MaxSubKeyLen = raw.maxSubKeyLength;
        entry.Info.NumValues = raw.values;
        entry.Info.MaxValueLen = raw.maxValueNameLength;
        entry.Info.MaxDataLen = raw.maxValueDataSize;
        entry.Info.FileTime = raw.lastWriteTime;
        if (nameWanted && !nameWanted(entry.Info)) {
          list.push_back(std::move(entry));
          continue;
        }
      }
    }
    const RegStatus status = Reg().EnumKey(currentKey_.Get(), index, entry.Name);
    if (status == kErrorNoMoreItems) break;
    if (status != kErrorSuccess || entry.Name.empty()) continue;
    list.push_back(std::move(entry));
  }
}

bool TFastRegistry::GetKeyNamesComplete(std::vector<std::string>& list) {
  return EnumerateNames(false, list);
}

bool TFastRegistry::GetValuesComplete(std::vector<TRegValue>& list, const TRegKeyInfo* known) {
  list.clear();
  TRegKeyInfo info;
  if (!KnownOrAskedInfo(known, info)) return false;
  bool complete = true;
  TRegValue value;
  for (std::uint32_t index = 0; index < info.NumValues; ++index) {
    const RegStatus status = Reg().EnumValue(currentKey_.Get(), index, value.Name, &value.Type, &value.Data);
    if (status == kErrorNoMoreItems) break;  // removed meanwhile; nothing was missed
    if (status != kErrorSuccess) {
      complete = false;
      continue;
    }
    list.push_back(std::move(value));
  }
  return complete;
}

bool TFastRegistry::GetValueNamesComplete(std::vector<std::string>& list) {
  return EnumerateNames(true, list);
}

void TFastRegistry::AddKeyTree(std::vector<std::string>& list, const std::string& name,
                               const std::string& parent) {
  CloseKey();
  const std::string path = parent + "\\" + name;
  if (!OpenKeyReadOnly(path)) return;
  std::vector<std::string> names;
  GetKeyNames(names);
  const std::string rootName = RootKeyToName(rootKey_);
  for (const auto& sub : names) {
    list.push_back(rootName + "\\" + path + "\\" + sub);
    AddKeyTree(list, sub, path);
  }
  CloseKey();
}

void TFastRegistry::GetKeyTree(std::vector<std::string>& list, std::string_view path) {
  list.clear();
  if (!OpenKey(path, false)) return;
  list.emplace_back(path);
  const std::string parent = currentPath_;
  std::vector<std::string> names;
  GetKeyNames(names);
  const std::string rootName = RootKeyToName(rootKey_);
  for (const auto& name : names) {
    list.push_back(rootName + "\\" + parent + "\\" + name);
    AddKeyTree(list, name, parent);
  }
  CloseKey();
  OpenKey(parent, false);
}

// ---------------------------------------------------------------- values

bool TFastRegistry::Query(std::string_view name, std::uint32_t& type, std::string& data) {
  type = kRegNone;
  data.clear();
  if (!currentKey_) return false;
  return Reg().QueryValue(currentKey_.Get(), name, &type, &data) == kErrorSuccess;
}

bool TFastRegistry::GetDataInfo(std::string_view name, TRegDataInfo& info) {
  info = TRegDataInfo();
  std::uint32_t type;
  std::string data;
  if (!Query(name, type, data)) return false;
  info.RegData = DataTypeOf(type);
  info.DataSize = static_cast<std::uint32_t>(data.size());
  return true;
}

bool TFastRegistry::ValueExists(std::string_view name) {
  TRegDataInfo info;
  return GetDataInfo(name, info);
}

int TFastRegistry::GetDataSize(std::string_view name) {
  TRegDataInfo info;
  return GetDataInfo(name, info) ? static_cast<int>(info.DataSize) : -1;
}

TRegDataType TFastRegistry::GetDataType(std::string_view name) {
  TRegDataInfo info;
  return GetDataInfo(name, info) ? info.RegData : rdUnknown;
}

void TFastRegistry::ThrowInvalidType(std::string_view name) {
  throw ERegistryException("Invalid data type for '" + std::string(name) + "'");
}

std::string TFastRegistry::ReadString(std::string_view name) {
  std::uint32_t type;
  std::string data;
  if (!Query(name, type, data) || type == kRegDword) return std::string();
  return ValueAsString(type, data);
}

std::string TFastRegistry::ReadValueAsString(std::string_view name) {
  std::uint32_t type;
  std::string data;
  if (!Query(name, type, data)) return std::string();
  return ValueAsString(type, data);
}

std::string TFastRegistry::ReadStringStrict(std::string_view name) {
  std::uint32_t type;
  std::string data;
  if (!Query(name, type, data) || data.empty()) return std::string();
  const TRegDataType kind = DataTypeOf(type);
  if (kind != rdString && kind != rdExpandString) ThrowInvalidType(name);
  return UpToNul(data);
}

std::int32_t TFastRegistry::ReadInteger(std::string_view name) {
  std::uint32_t type;
  std::string data;
  if (!Query(name, type, data) || type != kRegDword) ThrowInvalidType(name);
  return DwordValue(data);
}

int TFastRegistry::ReadBinaryData(std::string_view name, void* buffer, int bufferSize) {
  std::uint32_t type;
  std::string data;
  if (!Query(name, type, data)) return 0;
  const TRegDataType kind = DataTypeOf(type);
  if ((kind != rdBinary && kind != rdUnknown && kind != rdMultiString) || bufferSize < 0 ||
      data.size() > static_cast<size_t>(bufferSize))
    ThrowInvalidType(name);
  if (!data.empty()) std::memcpy(buffer, data.data(), data.size());
  return static_cast<int>(data.size());
}

std::vector<std::string> TFastRegistry::ReadMultiString(std::string_view name) {
  std::uint32_t type;
  std::string data;
  if (!Query(name, type, data) || type != kRegMultiSz) return {};
  return MultiStringLines(data);
}

bool TFastRegistry::ReadRawData(std::string_view name, std::uint32_t& type, std::string& data) {
  return Query(name, type, data);
}

RegStatus TFastRegistry::WriteRawData(std::string_view name, std::uint32_t type, std::string_view data) {
  return Reg().SetValue(currentKey_.Get(), name, type, data);
}

RegStatus TFastRegistry::WriteString(std::string_view name, std::string_view text) {
  return WriteRawData(name, kRegSz, TerminatedText(text));
}

RegStatus TFastRegistry::WriteExpandString(std::string_view name, std::string_view text) {
  return WriteRawData(name, kRegExpandSz, TerminatedText(text));
}

RegStatus TFastRegistry::WriteMultiString(std::string_view name, std::string_view text) {
  std::string data;
  data.reserve(text.size() + 1);
  int replacements = 0;
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n' && replacements < 10000) {
      data.push_back('\0');
      ++replacements;
      ++i;
    } else {
      data.push_back(text[i]);
    }
  }
  data.push_back('\0');
  return WriteRawData(name, kRegMultiSz, data);
}

RegStatus TFastRegistry::WriteInteger(std::string_view name, std::int32_t value) {
  const auto bits = static_cast<std::uint32_t>(value);
  const char data[4] = {static_cast<char>(bits & 0xFF), static_cast<char>((bits >> 8) & 0xFF),
                        static_cast<char>((bits >> 16) & 0xFF), static_cast<char>(bits >> 24)};
  return WriteRawData(name, kRegDword, std::string_view(data, 4));
}

RegStatus TFastRegistry::WriteBinaryData(std::string_view name, const void* data, std::size_t size) {
  return WriteRawData(name, kRegBinary, std::string_view(static_cast<const char*>(data), size));
}

bool TFastRegistry::DeleteValue(std::string_view name) {
  return Reg().DeleteValue(currentKey_.Get(), name) == kErrorSuccess;
}

// ---------------------------------------------------------------- notation

std::string RootKeyToName(RegHandle root) {
  for (const auto& entry : kRoots)
    if (entry.root == root) return entry.name;
  return std::string();
}

RegHandle NameToRootKey(std::string_view name) {
  for (const auto& entry : kRoots)
    if (SameText(name, entry.name)) return entry.root;
  return kNoKey;
}

bool IsRootKeyName(std::string_view name) {
  for (const auto& entry : kRoots)
    if (SameText(name, entry.name)) return true;
  return false;
}

std::string AbbreviateKeyPath(std::string_view path, bool rootOnly) {
  std::string text(path);
  if (text.empty() || text.back() != '\\') text += '\\';
  std::string result;
  bool first = true;
  for (const auto& component : SplitPath(text)) {
    std::string replacement = component;
    if (first) {
      for (const auto& root : kRoots)
        if (SameText(component, root.name)) replacement = root.shortName;
    } else if (!rootOnly) {
      for (const auto& entry : kAbbreviations)
        if (SameText(component, entry.component)) replacement = entry.replacement;
    }
    result += replacement + "\\";
    first = false;
  }
  return result;
}

}  // namespace vp
