#include "scanner/ExistenceMemo.h"

namespace vp {

std::optional<bool> TExistenceMemo::Find(std::string_view path) const {
  Shard& shard = ShardOf(path);
  std::lock_guard lock(shard.mutex);
  const auto it = shard.answers.find(path);
  if (it == shard.answers.end()) return std::nullopt;
  return it->second;
}

void TExistenceMemo::Remember(std::string_view path, bool exists) {
  // Reserve a place first: two threads filling the last place cannot both
  // get it.
  if (size_.fetch_add(1, std::memory_order_relaxed) >= capacity_) {
    size_.fetch_sub(1, std::memory_order_relaxed);
    return;
  }
  Shard& shard = ShardOf(path);
  std::lock_guard lock(shard.mutex);
  if (!shard.answers.emplace(std::string(path), exists).second) size_.fetch_sub(1, std::memory_order_relaxed);
}

}  // namespace vp
