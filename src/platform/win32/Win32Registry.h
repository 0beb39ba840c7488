#pragma once

#include <mutex>
#include <unordered_map>
#include <unordered_set>

#include "platform/Registry.h"

namespace vp::platform::win32 {

// The real registry through the wide functions. Names and text data are
// converted to and from the code page exactly or not at all: what has no
// exact 8-bit form answers kErrorNoUnicodeTranslation instead of arriving
// altered (the ANSI functions would turn it into question marks).
class Win32Registry : public Registry {
 public:
  Win32Registry() = default;
  ~Win32Registry() override;
  Win32Registry(const Win32Registry&) = delete;
  Win32Registry& operator=(const Win32Registry&) = delete;

  RegStatus OpenKey(RegHandle base, std::string_view path, std::uint32_t access, RegHandle& key) override;
  RegStatus CreateKey(RegHandle base, std::string_view path, std::uint32_t access, RegHandle& key,
                      bool* created = nullptr) override;
  RegStatus CloseKey(RegHandle key) override;
  RegStatus QueryKeyInfo(RegHandle key, RegKeyInfo& info) override;
  RegStatus QuerySubKeyInfo(RegHandle key, std::uint32_t index, RegKeyInfo& info) override;
  RegStatus EnumKey(RegHandle key, std::uint32_t index, std::string& name) override;
  RegStatus EnumValue(RegHandle key, std::uint32_t index, std::string& name, std::uint32_t* type = nullptr,
                      std::string* data = nullptr) override;
  RegStatus QueryValue(RegHandle key, std::string_view name, std::uint32_t* type, std::string* data) override;
  RegStatus SetValue(RegHandle key, std::string_view name, std::uint32_t type,
                     std::string_view data) override;
  RegStatus DeleteKey(RegHandle base, std::string_view path) override;
  RegStatus DeleteValue(RegHandle key, std::string_view name) override;
  RegStatus FlushKey(RegHandle key) override;
  RegStatus QueryKeyName(RegHandle key, std::string& name) override;

 private:
  // System key handles are kept here and never leave this class; the seam's
  // handles are small numbers that map to them.
  using SystemKey = void*;
  bool Find(RegHandle key, SystemKey& systemKey) const;
  RegHandle Add(SystemKey systemKey, bool classes);
  bool IsClassesKey(RegHandle key) const;

  mutable std::mutex mutex_;
  std::unordered_map<RegHandle, SystemKey> keys_;
  // Handles opened below HKEY_CLASSES_ROOT. The system merges the user's and
  // the machine's classes only for the registry functions; the native
  // enumeration behind QuerySubKeyInfo would count the sub-keys of one part,
  // so its indexes would not match EnumKey's there.
  std::unordered_set<RegHandle> classesKeys_;
  RegHandle next_ = 0x100;
};

}  // namespace vp::platform::win32
