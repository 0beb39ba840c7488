#include "support/CountingFiles.h"

#include <chrono>

namespace vp::bench {

std::optional<uint32_t> TCountingFiles::Attributes(std::string_view path) const {
  const auto start = std::chrono::steady_clock::now();
  auto attributes = inner_.Attributes(path);
  const auto spent = std::chrono::steady_clock::now() - start;
  nanoseconds_.fetch_add(std::chrono::duration_cast<std::chrono::nanoseconds>(spent).count(),
                         std::memory_order_relaxed);
  tests_.fetch_add(1, std::memory_order_relaxed);
  if (!attributes) missing_.fetch_add(1, std::memory_order_relaxed);
  return attributes;
}

}  // namespace vp::bench
