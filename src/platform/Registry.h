#pragma once

// The registry part of the seam: handle-based operations with the semantics
// and status codes of the Windows registry interface. Names and data travel as
// 8-bit text in the system code page; an implementation converts them exactly
// or not at all (a name or text that has no exact 8-bit form is reported with
// kErrorNoUnicodeTranslation, never passed on altered).

#include <cstdint>
#include <string>
#include <string_view>

namespace vp::platform {

class Registry;

// A key handle: one of the predefined roots below or a handle returned by
// OpenKey / CreateKey. 0 is never a valid handle.
using RegHandle = std::uint32_t;

constexpr RegHandle kNoKey = 0;
constexpr RegHandle kHkeyClassesRoot = 0x80000000u;
constexpr RegHandle kHkeyCurrentUser = 0x80000001u;
constexpr RegHandle kHkeyLocalMachine = 0x80000002u;
constexpr RegHandle kHkeyUsers = 0x80000003u;
constexpr RegHandle kHkeyPerformanceData = 0x80000004u;
constexpr RegHandle kHkeyCurrentConfig = 0x80000005u;
constexpr RegHandle kHkeyDynData = 0x80000006u;

constexpr bool IsPredefinedKey(RegHandle key) {
  return key >= kHkeyClassesRoot && key <= kHkeyDynData;
}

// Status codes, as the registry interface returns them.
using RegStatus = std::int32_t;
constexpr RegStatus kErrorSuccess = 0;
constexpr RegStatus kErrorFileNotFound = 2;
constexpr RegStatus kErrorAccessDenied = 5;
constexpr RegStatus kErrorInvalidHandle = 6;
constexpr RegStatus kErrorOutOfMemory = 14;
constexpr RegStatus kErrorInvalidParameter = 87;
constexpr RegStatus kErrorBadPathname = 161;
constexpr RegStatus kErrorMoreData = 234;
constexpr RegStatus kErrorNoMoreItems = 259;
constexpr RegStatus kErrorKeyDeleted = 1018;
constexpr RegStatus kErrorNoUnicodeTranslation = 1113;

// Access rights of a key handle.
constexpr std::uint32_t kKeyQueryValue = 0x0001;
constexpr std::uint32_t kKeySetValue = 0x0002;
constexpr std::uint32_t kKeyCreateSubKey = 0x0004;
constexpr std::uint32_t kKeyEnumerateSubKeys = 0x0008;
constexpr std::uint32_t kKeyNotify = 0x0010;
constexpr std::uint32_t kKeyCreateLink = 0x0020;
constexpr std::uint32_t kDelete = 0x00010000;
constexpr std::uint32_t kReadControl = 0x00020000;
constexpr std::uint32_t kKeyRead = 0x00020019;
constexpr std::uint32_t kKeyWrite = 0x00020006;
constexpr std::uint32_t kKeyAllAccess = 0x000F003F;

// The two registry views of a 64-bit system, chosen by these access flags of
// OpenKey and CreateKey. The 32-bit programs' keys lie below sub-keys named
// Wow6432Node: a path opened with kKeyWow64_32Key continues, below every key
// that has such a sub-key, in that sub-key (a component that names
// Wow6432Node itself is taken as it is). Keys both views share are links
// there to the 64-bit key, and every open follows a link. Without a flag, or
// with kKeyWow64_64Key, a 64-bit program sees the 64-bit view.
constexpr std::uint32_t kKeyWow64_64Key = 0x0100;
constexpr std::uint32_t kKeyWow64_32Key = 0x0200;

// Value types.
constexpr std::uint32_t kRegNone = 0;
constexpr std::uint32_t kRegSz = 1;
constexpr std::uint32_t kRegExpandSz = 2;
constexpr std::uint32_t kRegBinary = 3;
constexpr std::uint32_t kRegDword = 4;
constexpr std::uint32_t kRegDwordBigEndian = 5;
constexpr std::uint32_t kRegLink = 6;
constexpr std::uint32_t kRegMultiSz = 7;
constexpr std::uint32_t kRegResourceList = 8;
constexpr std::uint32_t kRegQword = 11;

// True for the types whose data is text (converted to and from the code page
// by the real implementation); the data of every other type is raw bytes.
constexpr bool IsTextType(std::uint32_t type) {
  return type == kRegSz || type == kRegExpandSz || type == kRegMultiSz;
}

struct RegKeyInfo {
  std::uint32_t subKeys = 0;
  std::uint32_t maxSubKeyLength = 0;  // characters, without the terminator
  std::uint32_t values = 0;
  std::uint32_t maxValueNameLength = 0;  // characters, without the terminator
  std::uint32_t maxValueDataSize = 0;    // bytes; an upper bound for text types
  std::uint64_t lastWriteTime = 0;       // FILETIME, 100 ns since 1601
};

// Owns one key handle and closes it, through the registry that gave it, when
// it goes. Move-only, so that a handle is closed exactly once. Empty when it
// holds kNoKey; a predefined root may be held too (closing one does nothing).
class RegKey {
 public:
  RegKey() = default;
  RegKey(Registry& registry, RegHandle handle) noexcept : registry_(&registry), handle_(handle) {}
  ~RegKey() { Reset(); }
  RegKey(RegKey&& other) noexcept;
  RegKey& operator=(RegKey&& other) noexcept;
  RegKey(const RegKey&) = delete;
  RegKey& operator=(const RegKey&) = delete;

  RegHandle Get() const { return handle_; }
  explicit operator bool() const { return handle_ != kNoKey; }
  // Closes the handle held, if any; the key is empty afterwards.
  void Reset();

 private:
  Registry* registry_ = nullptr;
  RegHandle handle_ = kNoKey;
};

class Registry {
 public:
  virtual ~Registry() = default;

  // OpenKey and CreateKey with the new handle owned by key, which is empty on
  // failure. The handle key held before is closed after the open, so it may
  // serve as the base.
  RegStatus Open(RegHandle base, std::string_view path, std::uint32_t access, RegKey& key);
  RegStatus Create(RegHandle base, std::string_view path, std::uint32_t access, RegKey& key,
                   bool* created = nullptr);

  // Opens the key at path below base (empty path: a new handle to base
  // itself). The handle is granted exactly the access asked for; operations
  // that need more fail with kErrorAccessDenied.
  virtual RegStatus OpenKey(RegHandle base, std::string_view path, std::uint32_t access, RegHandle& key) = 0;

  // Opens the key, creating it and its missing parents first. created, when
  // given, tells whether the key was new.
  virtual RegStatus CreateKey(RegHandle base, std::string_view path, std::uint32_t access, RegHandle& key,
                              bool* created = nullptr) = 0;

  // Releases a handle; closing a predefined root succeeds and does nothing.
  virtual RegStatus CloseKey(RegHandle key) = 0;

  virtual RegStatus QueryKeyInfo(RegHandle key, RegKeyInfo& info) = 0;
  // What QueryKeyInfo would tell of the sub-key at index, without opening it
  // (the right to list key's sub-keys is what it needs): a walk learns which
  // sub-keys have sub-keys or values of their own at one call each, instead
  // of opening, asking and closing every one. kErrorNoMoreItems past the end.
  // The sub-key's name plays no part: one with no exact 8-bit form is
  // described like any other.
  virtual RegStatus QuerySubKeyInfo(RegHandle key, std::uint32_t index, RegKeyInfo& info) = 0;

  // The name of the sub-key or value at index (0-based). kErrorNoMoreItems
  // past the end. An entry whose name cannot be given exactly answers
  // kErrorNoUnicodeTranslation at its index; callers skip it and go on.
  virtual RegStatus EnumKey(RegHandle key, std::uint32_t index, std::string& name) = 0;
  // With data, the value's data too, as QueryValue gives it: a whole key's
  // values are read at one call each. A value whose data has no exact 8-bit
  // form answers kErrorNoUnicodeTranslation.
  virtual RegStatus EnumValue(RegHandle key, std::uint32_t index, std::string& name,
                              std::uint32_t* type = nullptr, std::string* data = nullptr) = 0;

  // Type and data of a value (the empty name is the default value). data may
  // be null when only the type is wanted; the size is data->size(). Text data
  // keeps its terminating NUL(s) as stored.
  virtual RegStatus QueryValue(RegHandle key, std::string_view name, std::uint32_t* type,
                               std::string* data) = 0;
  virtual RegStatus SetValue(RegHandle key, std::string_view name, std::uint32_t type,
                             std::string_view data) = 0;

  // Deletes the key at path below base; a key with sub-keys is refused with
  // kErrorAccessDenied, as the system does.
  virtual RegStatus DeleteKey(RegHandle base, std::string_view path) = 0;
  virtual RegStatus DeleteValue(RegHandle key, std::string_view name) = 0;

  virtual RegStatus FlushKey(RegHandle key) = 0;

  // The key's name as the system knows it, from the top of the registry:
  // "\REGISTRY\MACHINE\Software\Wow6432Node\Vendor". Whatever path, view or
  // link reached a key, its handles give one name (compared without regard to
  // case), so two handles name one key exactly when their names are equal. A
  // key below HKEY_CLASSES_ROOT gives the name of the machine's or the user's
  // key behind it. Predefined roots answer kErrorInvalidParameter.
  virtual RegStatus QueryKeyName(RegHandle key, std::string& name) = 0;
};

}  // namespace vp::platform
