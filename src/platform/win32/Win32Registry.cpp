#include "platform/win32/Win32Registry.h"

#include <windows.h>

#include <algorithm>
#include <cstring>
#include <optional>
#include <vector>

#include "platform/win32/CodePage.h"

namespace vp::platform::win32 {
namespace {

// The longest name either enumeration can return (values: 16383 characters).
constexpr DWORD kLongestName = 32767;

HKEY PredefinedKey(RegHandle key) {
  switch (key) {
    case kHkeyClassesRoot:
      return HKEY_CLASSES_ROOT;
    case kHkeyCurrentUser:
      return HKEY_CURRENT_USER;
    case kHkeyLocalMachine:
      return HKEY_LOCAL_MACHINE;
    case kHkeyUsers:
      return HKEY_USERS;
    case kHkeyPerformanceData:
      return HKEY_PERFORMANCE_DATA;
    case kHkeyCurrentConfig:
      return HKEY_CURRENT_CONFIG;
    case kHkeyDynData:
      return HKEY_DYN_DATA;
    default:
      return nullptr;
  }
}

// A name for the wide functions; empty optional when it has no exact form.
// An embedded NUL would silently shorten the name, so it is refused too.
std::optional<std::wstring> WideName(std::string_view name) {
  if (name.find('\0') != std::string_view::npos) return std::nullopt;
  return ToWide(name);
}

// Value data as the seam passes it: text types converted from UTF-16 to the
// code page exactly (an odd byte count or a character outside the code page
// has no exact 8-bit form), other types as the bytes stored.
RegStatus NarrowData(DWORD valueType, const BYTE* bytes, DWORD size, std::string& data) {
  if (!IsTextType(valueType)) {
    data.assign(reinterpret_cast<const char*>(bytes), size);
    return kErrorSuccess;
  }
  if (size % 2 != 0) return kErrorNoUnicodeTranslation;
  // ASCII text (every unit below 128) is the same in every code page: taken
  // straight from the bytes, without the checked conversion.
  bool ascii = true;
  for (DWORD i = 0; i < size && ascii; i += 2) ascii = bytes[i] < 0x80 && bytes[i + 1] == 0;
  if (ascii) {
    data.resize(size / 2);
    for (DWORD i = 0; i < size / 2; ++i) data[i] = static_cast<char>(bytes[2 * i]);
    return kErrorSuccess;
  }
  std::wstring text(size / 2, L'\0');
  if (size != 0) std::memcpy(text.data(), bytes, size);
  auto narrow = FromWide(text);
  if (!narrow) return kErrorNoUnicodeTranslation;
  data = std::move(*narrow);
  return kErrorSuccess;
}

// The native enumeration that describes a sub-key by its index without
// opening it (KEY_FULL_INFORMATION), taken from ntdll once.
struct NativeKeyFullInformation {
  LONGLONG LastWriteTime;
  ULONG TitleIndex;
  ULONG ClassOffset;
  ULONG ClassLength;
  ULONG SubKeys;
  ULONG MaxNameLen;
  ULONG MaxClassLen;
  ULONG Values;
  ULONG MaxValueNameLen;
  ULONG MaxValueDataLen;
};
constexpr ULONG kNativeKeyFullInformation = 2;
constexpr LONG kNativeNoMoreEntries = static_cast<LONG>(0x8000001AUL);
constexpr LONG kNativeBufferOverflow = static_cast<LONG>(0x80000005UL);
constexpr LONG kNativeBufferTooSmall = static_cast<LONG>(0xC0000023UL);
constexpr LONG kNativeAccessDenied = static_cast<LONG>(0xC0000022UL);
constexpr LONG kNativeKeyDeleted = static_cast<LONG>(0xC000017CUL);
using NativeEnumerateKey = LONG(WINAPI*)(HANDLE, ULONG, ULONG, PVOID, ULONG, PULONG);

NativeEnumerateKey NativeKeyEnumeration() {
  static const NativeEnumerateKey function = [] {
    HMODULE ntdll = GetModuleHandleW(L"ntdll.dll");
    return ntdll == nullptr ? nullptr
                            : reinterpret_cast<NativeEnumerateKey>(
                                  reinterpret_cast<void*>(GetProcAddress(ntdll, "NtEnumerateKey")));
  }();
  return function;
}

// The native query of a key's full name (KEY_NAME_INFORMATION: a byte
// length, then the UTF-16 name), taken from ntdll once.
constexpr ULONG kNativeKeyNameInformation = 3;
using NativeQueryKey = LONG(WINAPI*)(HANDLE, ULONG, PVOID, ULONG, PULONG);

NativeQueryKey NativeKeyQuery() {
  static const NativeQueryKey function = [] {
    HMODULE ntdll = GetModuleHandleW(L"ntdll.dll");
    return ntdll == nullptr ? nullptr
                            : reinterpret_cast<NativeQueryKey>(
                                  reinterpret_cast<void*>(GetProcAddress(ntdll, "NtQueryKey")));
  }();
  return function;
}

}  // namespace

Win32Registry::~Win32Registry() {
  for (auto& [handle, systemKey] : keys_) RegCloseKey(static_cast<HKEY>(systemKey));
}

bool Win32Registry::Find(RegHandle key, SystemKey& systemKey) const {
  if (IsPredefinedKey(key)) {
    systemKey = PredefinedKey(key);
    return true;
  }
  std::lock_guard lock(mutex_);
  auto it = keys_.find(key);
  if (it == keys_.end()) return false;
  systemKey = it->second;
  return true;
}

RegHandle Win32Registry::Add(SystemKey systemKey, bool classes) {
  std::lock_guard lock(mutex_);
  do {
    next_ = next_ >= 0x7FFFFFF0u ? 0x100 : next_ + 4;
  } while (keys_.count(next_) != 0);
  keys_[next_] = systemKey;
  if (classes) classesKeys_.insert(next_);
  return next_;
}

bool Win32Registry::IsClassesKey(RegHandle key) const {
  if (key == kHkeyClassesRoot) return true;
  std::lock_guard lock(mutex_);
  return classesKeys_.count(key) != 0;
}

RegStatus Win32Registry::OpenKey(RegHandle base, std::string_view path, std::uint32_t access,
                                 RegHandle& key) {
  key = kNoKey;
  SystemKey baseKey;
  if (!Find(base, baseKey)) return kErrorInvalidHandle;
  auto wide = WideName(path);
  if (!wide) return kErrorNoUnicodeTranslation;
  HKEY opened = nullptr;
  const LONG status = RegOpenKeyExW(static_cast<HKEY>(baseKey), wide->c_str(), 0, access, &opened);
  if (status != ERROR_SUCCESS) return status;
  key = Add(opened, IsClassesKey(base));
  return kErrorSuccess;
}

RegStatus Win32Registry::CreateKey(RegHandle base, std::string_view path, std::uint32_t access,
                                   RegHandle& key, bool* created) {
  key = kNoKey;
  if (created) *created = false;
  SystemKey baseKey;
  if (!Find(base, baseKey)) return kErrorInvalidHandle;
  auto wide = WideName(path);
  if (!wide) return kErrorNoUnicodeTranslation;
  HKEY opened = nullptr;
  DWORD disposition = 0;
  const LONG status = RegCreateKeyExW(static_cast<HKEY>(baseKey), wide->c_str(), 0, nullptr,
                                      REG_OPTION_NON_VOLATILE, access, nullptr, &opened, &disposition);
  if (status != ERROR_SUCCESS) return status;
  if (created) *created = disposition == REG_CREATED_NEW_KEY;
  key = Add(opened, IsClassesKey(base));
  return kErrorSuccess;
}

RegStatus Win32Registry::CloseKey(RegHandle key) {
  if (IsPredefinedKey(key)) return kErrorSuccess;
  SystemKey systemKey;
  {
    std::lock_guard lock(mutex_);
    auto it = keys_.find(key);
    if (it == keys_.end()) return kErrorInvalidHandle;
    systemKey = it->second;
    keys_.erase(it);
    classesKeys_.erase(key);
  }
  return RegCloseKey(static_cast<HKEY>(systemKey));
}

RegStatus Win32Registry::QueryKeyInfo(RegHandle key, RegKeyInfo& info) {
  info = RegKeyInfo();
  SystemKey systemKey;
  if (!Find(key, systemKey)) return kErrorInvalidHandle;
  DWORD subKeys = 0, maxSubKey = 0, values = 0, maxValueName = 0, maxData = 0;
  FILETIME lastWrite{};
  const LONG status =
      RegQueryInfoKeyW(static_cast<HKEY>(systemKey), nullptr, nullptr, nullptr, &subKeys, &maxSubKey, nullptr,
                       &values, &maxValueName, &maxData, nullptr, &lastWrite);
  if (status != ERROR_SUCCESS) return status;
  info.subKeys = subKeys;
  info.maxSubKeyLength = maxSubKey;
  info.values = values;
  info.maxValueNameLength = maxValueName;
  info.maxValueDataSize = maxData;
  info.lastWriteTime = (std::uint64_t(lastWrite.dwHighDateTime) << 32) | lastWrite.dwLowDateTime;
  return kErrorSuccess;
}

RegStatus Win32Registry::QuerySubKeyInfo(RegHandle key, std::uint32_t index, RegKeyInfo& info) {
  info = RegKeyInfo();
  SystemKey systemKey;
  if (!Find(key, systemKey)) return kErrorInvalidHandle;
  // Predefined roots are pseudo handles the native layer does not know, and
  // below the classes root the indexes would not match (see classesKeys_).
  if (IsPredefinedKey(key) || IsClassesKey(key)) return kErrorInvalidParameter;
  const NativeEnumerateKey enumerate = NativeKeyEnumeration();
  if (enumerate == nullptr) return kErrorInvalidParameter;

  // The fixed part of the answer, then the key's class name (rarely any).
  alignas(8) unsigned char stackBuffer[sizeof(NativeKeyFullInformation) + 256];
  std::vector<unsigned char> heapBuffer;
  unsigned char* buffer = stackBuffer;
  ULONG capacity = sizeof stackBuffer;
  for (int attempt = 0;; ++attempt) {
    ULONG length = 0;
    const LONG status = enumerate(static_cast<HANDLE>(systemKey), index, kNativeKeyFullInformation, buffer,
                                  capacity, &length);
    // An overflow leaves the class name out but the counts in; only a buffer
    // too small for the counts themselves is asked again, larger.
    if (status == kNativeBufferTooSmall && attempt < 4 && length > capacity) {
      heapBuffer.assign(length, 0);
      buffer = heapBuffer.data();
      capacity = length;
      continue;
    }
    if (status == kNativeNoMoreEntries) return kErrorNoMoreItems;
    if (status == kNativeAccessDenied) return kErrorAccessDenied;
    if (status == kNativeKeyDeleted) return kErrorKeyDeleted;
    if (status < 0 && status != kNativeBufferOverflow) return kErrorInvalidParameter;
    NativeKeyFullInformation full;
    std::memcpy(&full, buffer, sizeof full);
    // The native lengths are in bytes; the registry functions count characters.
    info.subKeys = full.SubKeys;
    info.maxSubKeyLength = full.MaxNameLen / sizeof(wchar_t);
    info.values = full.Values;
    info.maxValueNameLength = full.MaxValueNameLen / sizeof(wchar_t);
    info.maxValueDataSize = full.MaxValueDataLen;
    info.lastWriteTime = static_cast<std::uint64_t>(full.LastWriteTime);
    return kErrorSuccess;
  }
}

RegStatus Win32Registry::EnumKey(RegHandle key, std::uint32_t index, std::string& name) {
  name.clear();
  SystemKey systemKey;
  if (!Find(key, systemKey)) return kErrorInvalidHandle;
  // Sized for the usual names and grown when the system asks for more: a
  // fixed buffer would end an enumeration early at a long name. One buffer per
  // call, never thread_local: in the mingw build, thread-local objects with
  // destructors corrupted the heap as scan threads ended.
  std::vector<wchar_t> buffer(512);
  for (;;) {
    DWORD length = static_cast<DWORD>(buffer.size());
    const LONG status = RegEnumKeyExW(static_cast<HKEY>(systemKey), index, buffer.data(), &length, nullptr,
                                      nullptr, nullptr, nullptr);
    if (status == ERROR_MORE_DATA && buffer.size() <= kLongestName) {
      buffer.resize(buffer.size() * 2);
      continue;
    }
    if (status != ERROR_SUCCESS) return status;
    auto narrow = FromWide(std::wstring_view(buffer.data(), length));
    if (!narrow) return kErrorNoUnicodeTranslation;
    name = std::move(*narrow);
    return kErrorSuccess;
  }
}

RegStatus Win32Registry::EnumValue(RegHandle key, std::uint32_t index, std::string& name, std::uint32_t* type,
                                   std::string* data) {
  name.clear();
  if (data) data->clear();
  SystemKey systemKey;
  if (!Find(key, systemKey)) return kErrorInvalidHandle;
  // Most names and data fit the buffers on the stack; a larger value moves
  // to the heap. A whole key is read at one call per value, so nothing is
  // allocated or cleared per call that need not be.
  constexpr DWORD kStackName = 512, kStackData = 4096;
  wchar_t nameStack[kStackName];
  BYTE dataStack[kStackData];
  std::vector<wchar_t> nameHeap;
  std::vector<BYTE> dataHeap;
  wchar_t* nameBuffer = nameStack;
  DWORD nameCapacity = kStackName;
  BYTE* dataBuffer = data ? dataStack : nullptr;
  DWORD dataCapacity = data ? kStackData : 0;
  for (int attempt = 0;; ++attempt) {
    DWORD length = nameCapacity;
    DWORD valueType = 0;
    DWORD size = dataCapacity;
    const LONG status = RegEnumValueW(static_cast<HKEY>(systemKey), index, nameBuffer, &length, nullptr,
                                      &valueType, dataBuffer, data ? &size : nullptr);
    // The name or the data did not fit (or the value grew meanwhile): the
    // call does not say which, so both grow, within bounds.
    if (status == ERROR_MORE_DATA && attempt < 8) {
      if (nameCapacity <= kLongestName) {
        nameCapacity *= 2;
        nameHeap.assign(nameCapacity, L'\0');
        nameBuffer = nameHeap.data();
      }
      if (data) {
        dataCapacity = std::max<DWORD>(size, dataCapacity) + 2;
        dataHeap.assign(dataCapacity, 0);
        dataBuffer = dataHeap.data();
      }
      continue;
    }
    if (status != ERROR_SUCCESS) return status;
    auto narrow = FromWide(std::wstring_view(nameBuffer, length));
    if (!narrow) return kErrorNoUnicodeTranslation;
    name = std::move(*narrow);
    if (data) {
      const RegStatus converted = NarrowData(valueType, dataBuffer, size, *data);
      if (converted != kErrorSuccess) return converted;
    }
    if (type) *type = valueType;
    return kErrorSuccess;
  }
}

RegStatus Win32Registry::QueryValue(RegHandle key, std::string_view name, std::uint32_t* type,
                                    std::string* data) {
  if (data) data->clear();
  SystemKey systemKey;
  if (!Find(key, systemKey)) return kErrorInvalidHandle;
  auto wide = WideName(name);
  if (!wide) return kErrorNoUnicodeTranslation;
  std::vector<BYTE> buffer(4096);
  DWORD valueType = 0;
  DWORD size = 0;
  for (int attempt = 0;; ++attempt) {
    size = static_cast<DWORD>(buffer.size());
    const LONG status = RegQueryValueExW(static_cast<HKEY>(systemKey), wide->c_str(), nullptr, &valueType,
                                         buffer.data(), &size);
    // The value may grow between the attempts; give up only when it keeps growing.
    if (status == ERROR_MORE_DATA && attempt < 8) {
      buffer.resize(std::max<size_t>(size, buffer.size()) + 2);
      continue;
    }
    if (status != ERROR_SUCCESS) return status;
    break;
  }
  std::string narrow;
  const RegStatus converted = NarrowData(valueType, buffer.data(), size, narrow);
  if (converted != kErrorSuccess) return converted;
  if (data) *data = std::move(narrow);
  if (type) *type = valueType;
  return kErrorSuccess;
}

RegStatus Win32Registry::SetValue(RegHandle key, std::string_view name, std::uint32_t type,
                                  std::string_view data) {
  SystemKey systemKey;
  if (!Find(key, systemKey)) return kErrorInvalidHandle;
  auto wideName = WideName(name);
  if (!wideName) return kErrorNoUnicodeTranslation;
  if (IsTextType(type)) {
    // The system counts a terminator that follows the data but was left out
    // of its size; a character that is not NUL there keeps the bytes exact.
    std::wstring text;
    if (IsAscii(data)) {
      text.assign(data.size() + 1, L'x');
      for (size_t i = 0; i < data.size(); ++i) text[i] = static_cast<unsigned char>(data[i]);
    } else {
      auto wide = ToWide(data);
      if (!wide) return kErrorNoUnicodeTranslation;
      text = std::move(*wide);
      text.push_back(L'x');
    }
    const DWORD size = static_cast<DWORD>((text.size() - 1) * 2);
    return RegSetValueExW(static_cast<HKEY>(systemKey), wideName->c_str(), 0, type,
                          reinterpret_cast<const BYTE*>(text.data()), size);
  }
  return RegSetValueExW(static_cast<HKEY>(systemKey), wideName->c_str(), 0, type,
                        reinterpret_cast<const BYTE*>(data.data()), static_cast<DWORD>(data.size()));
}

RegStatus Win32Registry::DeleteKey(RegHandle base, std::string_view path) {
  SystemKey baseKey;
  if (!Find(base, baseKey)) return kErrorInvalidHandle;
  auto wide = WideName(path);
  if (!wide) return kErrorNoUnicodeTranslation;
  return RegDeleteKeyW(static_cast<HKEY>(baseKey), wide->c_str());
}

RegStatus Win32Registry::DeleteValue(RegHandle key, std::string_view name) {
  SystemKey systemKey;
  if (!Find(key, systemKey)) return kErrorInvalidHandle;
  auto wide = WideName(name);
  if (!wide) return kErrorNoUnicodeTranslation;
  return RegDeleteValueW(static_cast<HKEY>(systemKey), wide->c_str());
}

RegStatus Win32Registry::QueryKeyName(RegHandle key, std::string& name) {
  name.clear();
  SystemKey systemKey;
  if (!Find(key, systemKey)) return kErrorInvalidHandle;
  // Predefined roots are pseudo handles the native layer does not know.
  if (IsPredefinedKey(key)) return kErrorInvalidParameter;
  const NativeQueryKey query = NativeKeyQuery();
  if (query == nullptr) return kErrorInvalidParameter;
  std::vector<unsigned char> buffer(512);
  for (int attempt = 0;; ++attempt) {
    ULONG length = 0;
    const LONG status = query(static_cast<HANDLE>(systemKey), kNativeKeyNameInformation, buffer.data(),
                              static_cast<ULONG>(buffer.size()), &length);
    if ((status == kNativeBufferTooSmall || status == kNativeBufferOverflow) && attempt < 4 &&
        length > buffer.size()) {
      buffer.assign(length, 0);
      continue;
    }
    if (status == kNativeAccessDenied) return kErrorAccessDenied;
    if (status == kNativeKeyDeleted) return kErrorKeyDeleted;
    if (status < 0) return kErrorInvalidParameter;
    break;
  }
  ULONG bytes = 0;
  std::memcpy(&bytes, buffer.data(), sizeof bytes);
  if (bytes % 2 != 0 || bytes > buffer.size() - sizeof bytes) return kErrorInvalidParameter;
  std::wstring wide(bytes / 2, L'\0');
  if (bytes != 0) std::memcpy(wide.data(), buffer.data() + sizeof bytes, bytes);
  auto narrow = FromWide(wide);
  if (!narrow) return kErrorNoUnicodeTranslation;
  name = std::move(*narrow);
  return kErrorSuccess;
}

RegStatus Win32Registry::FlushKey(RegHandle key) {
  SystemKey systemKey;
  if (!Find(key, systemKey)) return kErrorInvalidHandle;
  return RegFlushKey(static_cast<HKEY>(systemKey));
}

}  // namespace vp::platform::win32
