#include "platform/sim/SimSystem.h"

namespace vp::platform::sim {

bool SimSystem::SetCurrentThreadPriority(ThreadPriority priority) {
  lastThreadPriority_.store(static_cast<int>(priority));
  return true;
}

ThreadPriority SimSystem::LastThreadPriority() const {
  return static_cast<ThreadPriority>(lastThreadPriority_.load());
}

TimeZoneState SimSystem::CurrentTimeZone() const {
  std::lock_guard lock(zoneMutex_);
  return timeZone_;
}

void SimSystem::SetTimeZone(const TimeZoneState& zone) {
  std::lock_guard lock(zoneMutex_);
  timeZone_ = zone;
}

uint32_t SimSystem::ExchangeErrorMode(uint32_t mode) {
  return errorMode_.exchange(mode);
}

}  // namespace vp::platform::sim
