#pragma once

// The answers of the existence tests of one scan, shared by its threads.
//
// The same files are named by thousands of registry strings (a program's
// own folder, the system folder), and every string is tried in many trimmed
// forms; each form is looked up on disk once per scan instead. The answers
// are those of the moment they were first asked: a file created or removed
// while the scan runs may be seen as it was, as with any scan that reads a
// changing disk. The memo stops taking new answers once it holds its
// capacity, so its memory stays bounded; what it holds stays valid.

#include <array>
#include <atomic>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>

namespace vp {

class TExistenceMemo {
 public:
  static constexpr size_t kDefaultCapacity = 1u << 20;

  explicit TExistenceMemo(size_t capacity = kDefaultCapacity) : capacity_(capacity) {}
  TExistenceMemo(const TExistenceMemo&) = delete;
  TExistenceMemo& operator=(const TExistenceMemo&) = delete;

  // The answer remembered for exactly this path (same text, same case).
  std::optional<bool> Find(std::string_view path) const;
  // Remembers an answer; ignored when the memo is full or already knows it.
  void Remember(std::string_view path, bool exists);

  size_t Size() const { return size_.load(std::memory_order_relaxed); }
  size_t Capacity() const { return capacity_; }

 private:
  struct Hash {
    using is_transparent = void;
    size_t operator()(std::string_view text) const { return std::hash<std::string_view>{}(text); }
  };
  struct Shard {
    mutable std::mutex mutex;
    std::unordered_map<std::string, bool, Hash, std::equal_to<>> answers;
  };
  // Threads asking about different paths rarely wait for each other.
  static constexpr size_t kShards = 32;

  Shard& ShardOf(std::string_view path) const { return shards_[Hash{}(path) % kShards]; }

  const size_t capacity_;
  std::atomic<size_t> size_{0};
  mutable std::array<Shard, kShards> shards_;
};

}  // namespace vp
