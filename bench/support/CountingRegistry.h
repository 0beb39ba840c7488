#pragma once

// A registry that counts the calls made through it and passes each on to
// the registry it wraps: how many round trips a piece of work costs, which
// under Wine (one server for every registry call) decides its time.

#include <array>
#include <atomic>
#include <cstdint>
#include <string>

#include "platform/Platform.h"
#include "platform/Registry.h"
#include "support/ScopedServices.h"

namespace vp::bench {

class TCountingRegistry final : public platform::Registry {
 public:
  enum Call {
    kOpen,
    kCreate,
    kClose,
    kInfo,
    kSubKeyInfo,
    kEnumKey,
    kEnumValue,
    kQuery,
    kSet,
    kDelete,
    kFlush,
    kCallKinds
  };

  explicit TCountingRegistry(platform::Registry& inner) : inner_(inner) {}

  void Reset();
  int64_t Count(Call call) const { return counts_[call].load(std::memory_order_relaxed); }
  int64_t Total() const;
  // "open 12, close 12, enum key 30, ..." for the calls made at least once.
  std::string Describe() const;

  platform::RegStatus OpenKey(platform::RegHandle base, std::string_view path, std::uint32_t access,
                              platform::RegHandle& key) override;
  platform::RegStatus CreateKey(platform::RegHandle base, std::string_view path, std::uint32_t access,
                                platform::RegHandle& key, bool* created) override;
  platform::RegStatus CloseKey(platform::RegHandle key) override;
  platform::RegStatus QueryKeyInfo(platform::RegHandle key, platform::RegKeyInfo& info) override;
  platform::RegStatus QuerySubKeyInfo(platform::RegHandle key, std::uint32_t index,
                                      platform::RegKeyInfo& info) override;
  platform::RegStatus EnumKey(platform::RegHandle key, std::uint32_t index, std::string& name) override;
  platform::RegStatus EnumValue(platform::RegHandle key, std::uint32_t index, std::string& name,
                                std::uint32_t* type, std::string* data) override;
  platform::RegStatus QueryValue(platform::RegHandle key, std::string_view name, std::uint32_t* type,
                                 std::string* data) override;
  platform::RegStatus SetValue(platform::RegHandle key, std::string_view name, std::uint32_t type,
                               std::string_view data) override;
  platform::RegStatus DeleteKey(platform::RegHandle base, std::string_view path) override;
  platform::RegStatus DeleteValue(platform::RegHandle key, std::string_view name) override;
  platform::RegStatus FlushKey(platform::RegHandle key) override;
  platform::RegStatus QueryKeyName(platform::RegHandle key, std::string& name) override;

 private:
  void Add(Call call) { counts_[call].fetch_add(1, std::memory_order_relaxed); }

  platform::Registry& inner_;
  std::array<std::atomic<int64_t>, kCallKinds> counts_{};
};

// A counting registry over the one in force, installed for the life of the
// object (between pieces of work only).
class TCountedCalls {
 public:
  TCountedCalls() : counting_(platform::Reg()), installed_(WithRegistry(counting_)) {}

  TCountingRegistry& Registry() { return counting_; }

 private:
  TCountingRegistry counting_;
  TScopedServices installed_;
};

}  // namespace vp::bench
