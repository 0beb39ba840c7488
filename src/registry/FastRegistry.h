#pragma once

// The one class through which the program reads, enumerates, writes and
// deletes registry data, and the functions of the key path notation.
//
// A TFastRegistry works on one current key below a root: pick a root, open a
// key by path, work on its values and sub-keys, close it. Failures come back
// as false, -1, empty strings or empty lists; only the strict typed reads
// throw (ERegistryException). An instance belongs to one thread at a time.

#include <cstdint>
#include <functional>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "platform/Registry.h"

namespace vp {

using platform::RegHandle;
using platform::RegStatus;

// The kind of a value. Reading maps REG_SZ, REG_EXPAND_SZ, REG_MULTI_SZ,
// REG_DWORD and REG_BINARY to the named kinds and every other type to
// rdUnknown; writing maps rdNone and rdUnknown to REG_NONE.
enum TRegDataType : std::uint8_t {
  rdNone,
  rdUnknown,
  rdString,
  rdExpandString,
  rdMultiString,
  rdInteger,
  rdBinary
};

TRegDataType DataTypeOf(std::uint32_t registryType);
std::uint32_t RegistryTypeOf(TRegDataType type);

struct TRegKeyInfo {
  std::uint32_t NumSubKeys = 0;
  std::uint32_t MaxSubKeyLen = 0;
  std::uint32_t NumValues = 0;
  std::uint32_t MaxValueLen = 0;
  std::uint32_t MaxDataLen = 0;
  std::uint64_t FileTime = 0;  // last write time
};

// One value as stored: its name ("" for the default value), type and bytes.
struct TRegValue {
  std::string Name;
  std::uint32_t Type = 0;
  std::string Data;
};

// A sub-key as its parent lists it, with what it holds when the system could
// say so without opening it (Described).
struct TSubKey {
  std::string Name;
  bool Described = false;
  TRegKeyInfo Info;
};

struct TRegDataInfo {
  TRegDataType RegData = rdNone;
  std::uint32_t DataSize = 0;
};

// Raised by the strict reads only: "Invalid data type for '<value name>'".
class ERegistryException : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

class TFastRegistry {
 public:
  TFastRegistry();  // root HKEY_CURRENT_USER, full access, no key open
  ~TFastRegistry();
  TFastRegistry(const TFastRegistry&) = delete;
  TFastRegistry& operator=(const TFastRegistry&) = delete;
  // A move takes the open key along; the source is left with none open.
  TFastRegistry(TFastRegistry&& other) noexcept;
  TFastRegistry& operator=(TFastRegistry&& other) noexcept;

  RegHandle CurrentKey() const { return currentKey_.Get(); }
  RegHandle RootKey() const { return rootKey_; }
  // Path of the open key below the root; empty when none is open.
  const std::string& CurrentPath() const { return currentPath_; }
  // Root name + "\" + CurrentPath; empty when no key is open.
  const std::string& CurrentFullPath() const { return currentFullPath_; }
  // KEY_ALL_ACCESS, or KEY_READ for good once OpenKeyReadOnly succeeded.
  std::uint32_t Access() const { return access_; }

  // A different root closes the open key; the same root changes nothing.
  void SetRootKey(RegHandle root);

  // Opens (or, with canCreate and a non-empty path, creates) a key. A first
  // component naming a root ("HKEY_LOCAL_MACHINE\...", any case, blanks
  // around it) selects that root. A leading backslash starts at the root;
  // otherwise the path is relative to the open key, if any.
  bool OpenKey(std::string_view path, bool canCreate);
  // Opens with KEY_READ (no root name recognised) and, on success, keeps
  // KEY_READ as the access of every later open of this instance.
  bool OpenKeyReadOnly(std::string_view path);
  // Creates the key and its missing parents with full access; the current
  // key stays as it is.
  bool CreateKey(std::string_view path);
  // CreateKey that also tells whether the key was new (false when it existed).
  bool CreateKeyReportingNew(std::string_view path, bool& created);
  void CloseKey();
  // The key opens with the current access (one that exists but refuses that
  // access counts as absent).
  bool KeyExists(std::string_view path);
  // Deletes the key and everything below it; true when the key itself went.
  bool DeleteKey(std::string_view path);

  bool HasSubKeys();
  bool GetKeyInfo(TRegKeyInfo& info);
  // Names of the open key's sub-keys (never an empty one) / values (the
  // default value's empty name included), in the system's order. An entry
  // that cannot be read exactly is left out. known, when given, is the
  // information just read from this key (GetKeyInfo); its counts are used
  // rather than asked for again, which saves a registry call per key.
  void GetKeyNames(std::vector<std::string>& list, const TRegKeyInfo* known = nullptr);
  void GetValueNames(std::vector<std::string>& list, const TRegKeyInfo* known = nullptr);
  // The sub-keys with their information asked of this key (one call per
  // sub-key, none to open it). Where the system cannot describe sub-keys
  // this way (the roots themselves, the classes root) they are listed
  // undescribed, by name as GetKeyNames gives them. A described sub-key's
  // name costs one more call and is read only when nameWanted, given the
  // information, says so (always when nameWanted is empty); otherwise the
  // entry is listed with an empty name.
  void GetSubKeysDescribed(std::vector<TSubKey>& list, const TRegKeyInfo* known = nullptr,
                           const std::function<bool(const TRegKeyInfo&)>& nameWanted = {});
  // The same lists for callers that must not miss an entry (exports): false
  // when the key cannot be listed or any entry was left out.
  bool GetKeyNamesComplete(std::vector<std::string>& list);
  bool GetValueNamesComplete(std::vector<std::string>& list);
  // Every value of the open key with its type and data as stored, at one
  // registry call per value (exports of large keys); false as above, and
  // when any value's data cannot be read exactly.
  bool GetValuesComplete(std::vector<TRegValue>& list, const TRegKeyInfo* known = nullptr);
  // The path as given, then the full path of every key below it, depth
  // first. Leaves the instance read-only (see OpenKeyReadOnly).
  void GetKeyTree(std::vector<std::string>& list, std::string_view path);

  bool ValueExists(std::string_view name);
  bool GetDataInfo(std::string_view name, TRegDataInfo& info);
  int GetDataSize(std::string_view name);           // -1 when the value cannot be queried
  TRegDataType GetDataType(std::string_view name);  // rdUnknown when it cannot be queried

  // Lenient reads, never throwing: text up to its first NUL for REG_SZ and
  // REG_EXPAND_SZ, the strings each followed by CR LF for REG_MULTI_SZ, empty
  // for anything else. ReadValueAsString also renders REG_DWORD as decimal.
  std::string ReadString(std::string_view name);
  std::string ReadValueAsString(std::string_view name);
  // Strict reads: ERegistryException for a value of another kind.
  std::string ReadStringStrict(std::string_view name);
  std::int32_t ReadInteger(std::string_view name);
  // 0 for an absent value; otherwise copies binary, unknown or multi-string
  // data that fits and returns its size, and throws for anything else.
  int ReadBinaryData(std::string_view name, void* buffer, int bufferSize);
  // The strings of a REG_MULTI_SZ value up to the first empty one; empty for
  // an absent value or another type.
  std::vector<std::string> ReadMultiString(std::string_view name);
  // Type and bytes of a value exactly as stored (for exports and restores).
  bool ReadRawData(std::string_view name, std::uint32_t& type, std::string& data);

  // Writes return the system status code.
  RegStatus WriteString(std::string_view name, std::string_view text);
  RegStatus WriteExpandString(std::string_view name, std::string_view text);
  // Lines separated by CR LF become NUL-separated strings with the final
  // NUL added; text ending in CR LF yields the proper double NUL.
  RegStatus WriteMultiString(std::string_view name, std::string_view text);
  RegStatus WriteInteger(std::string_view name, std::int32_t value);
  RegStatus WriteBinaryData(std::string_view name, const void* data, std::size_t size);
  RegStatus WriteRawData(std::string_view name, std::uint32_t type, std::string_view data);
  bool DeleteValue(std::string_view name);

 private:
  bool Query(std::string_view name, std::uint32_t& type, std::string& data);
  bool OpenBelow(std::string_view path, std::uint32_t access, bool canCreate);
  // Where a path starts: the open key for a relative one, if a key is open;
  // otherwise the root.
  RegHandle BaseOf(bool relative) const { return relative && currentKey_ ? currentKey_.Get() : rootKey_; }
  // The information the caller just read from this key, or else asked for.
  bool KnownOrAskedInfo(const TRegKeyInfo* known, TRegKeyInfo& info);
  // False when the key cannot be listed or an entry had to be left out.
  bool EnumerateNames(bool values, std::vector<std::string>& list, const TRegKeyInfo* known = nullptr);
  void AddKeyTree(std::vector<std::string>& list, const std::string& name, const std::string& parent);
  [[noreturn]] static void ThrowInvalidType(std::string_view name);

  platform::RegKey currentKey_;
  RegHandle rootKey_ = platform::kHkeyCurrentUser;
  std::string currentPath_;
  std::string currentFullPath_;
  std::uint32_t access_ = platform::kKeyAllAccess;
};

// A registry with the key below root opened read-only; nothing when it
// cannot be opened.
std::optional<TFastRegistry> OpenReadOnly(RegHandle root, std::string_view path);

// The text ReadValueAsString gives for a value of this type and data, for
// callers that already hold the data (a key's values read in one pass).
std::string ValueAsString(std::uint32_t type, const std::string& data);

// The full root name of one of the six roots of paths; "" for any other
// handle (HKEY_PERFORMANCE_DATA included).
std::string RootKeyToName(RegHandle root);
// The root named (without regard to case); kNoKey for any other text, so
// that a mistyped root opens nothing rather than another hive.
RegHandle NameToRootKey(std::string_view name);
bool IsRootKeyName(std::string_view name);
// The short display form, always ending in a backslash: the root abbreviated
// (HKLM, HKCU, ...) and, unless rootOnly, common components shortened
// (Software to Soft, Microsoft to MSoft, ...). Display only; never parsed.
std::string AbbreviateKeyPath(std::string_view path, bool rootOnly);

}  // namespace vp
