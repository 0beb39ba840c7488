#include "support/CountingRegistry.h"

#include "platform/Platform.h"

namespace vp::bench {

using platform::RegHandle;
using platform::RegStatus;

void TCountingRegistry::Reset() {
  for (auto& count : counts_) count.store(0, std::memory_order_relaxed);
}

int64_t TCountingRegistry::Total() const {
  int64_t total = 0;
  for (const auto& count : counts_) total += count.load(std::memory_order_relaxed);
  return total;
}

std::string TCountingRegistry::Describe() const {
  static const char* const kNames[kCallKinds] = {"open",         "create",   "close",      "info",
                                                 "sub-key info", "enum key", "enum value", "query",
                                                 "set",          "delete",   "flush"};
  std::string text;
  for (int call = 0; call < kCallKinds; ++call) {
    const int64_t count = Count(static_cast<Call>(call));
    if (count == 0) continue;
    if (!text.empty()) text += ", ";
    text += std::string(kNames[call]) + " " + std::to_string(count);
  }
  return text;
}

RegStatus TCountingRegistry::OpenKey(RegHandle base, std::string_view path, std::uint32_t access,
                                     RegHandle& key) {
  Add(kOpen);
  return inner_.OpenKey(base, path, access, key);
}

RegStatus TCountingRegistry::CreateKey(RegHandle base, std::string_view path, std::uint32_t access,
                                       RegHandle& key, bool* created) {
  Add(kCreate);
  return inner_.CreateKey(base, path, access, key, created);
}

RegStatus TCountingRegistry::CloseKey(RegHandle key) {
  // Closing a root costs nothing; the interface allows it, so it is not a call.
  if (!platform::IsPredefinedKey(key)) Add(kClose);
  return inner_.CloseKey(key);
}

RegStatus TCountingRegistry::QueryKeyInfo(RegHandle key, platform::RegKeyInfo& info) {
  Add(kInfo);
  return inner_.QueryKeyInfo(key, info);
}

RegStatus TCountingRegistry::QuerySubKeyInfo(RegHandle key, std::uint32_t index, platform::RegKeyInfo& info) {
  Add(kSubKeyInfo);
  return inner_.QuerySubKeyInfo(key, index, info);
}

RegStatus TCountingRegistry::EnumKey(RegHandle key, std::uint32_t index, std::string& name) {
  Add(kEnumKey);
  return inner_.EnumKey(key, index, name);
}

RegStatus TCountingRegistry::EnumValue(RegHandle key, std::uint32_t index, std::string& name,
                                       std::uint32_t* type, std::string* data) {
  Add(kEnumValue);
  return inner_.EnumValue(key, index, name, type, data);
}

RegStatus TCountingRegistry::QueryValue(RegHandle key, std::string_view name, std::uint32_t* type,
                                        std::string* data) {
  Add(kQuery);
  return inner_.QueryValue(key, name, type, data);
}

RegStatus TCountingRegistry::SetValue(RegHandle key, std::string_view name, std::uint32_t type,
                                      std::string_view data) {
  Add(kSet);
  return inner_.SetValue(key, name, type, data);
}

RegStatus TCountingRegistry::DeleteKey(RegHandle base, std::string_view path) {
  Add(kDelete);
  return inner_.DeleteKey(base, path);
}

RegStatus TCountingRegistry::DeleteValue(RegHandle key, std::string_view name) {
  Add(kDelete);
  return inner_.DeleteValue(key, name);
}

RegStatus TCountingRegistry::FlushKey(RegHandle key) {
  Add(kFlush);
  return inner_.FlushKey(key);
}

RegStatus TCountingRegistry::QueryKeyName(RegHandle key, std::string& name) {
  Add(kInfo);
  return inner_.QueryKeyName(key, name);
}

}  // namespace vp::bench
