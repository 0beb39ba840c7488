#include <windows.h>

#include "platform/win32/Win32System.h"

namespace vp::platform::win32 {

bool Win32System::SetCurrentThreadPriority(ThreadPriority priority) {
  int level = THREAD_PRIORITY_NORMAL;
  if (priority == ThreadPriority::Idle) level = THREAD_PRIORITY_IDLE;
  if (priority == ThreadPriority::AboveNormal) level = THREAD_PRIORITY_ABOVE_NORMAL;
  return SetThreadPriority(GetCurrentThread(), level) != 0;
}

TimeZoneState Win32System::CurrentTimeZone() const {
  TIME_ZONE_INFORMATION info{};
  const DWORD kind = GetTimeZoneInformation(&info);
  TimeZoneState zone;
  if (kind == TIME_ZONE_ID_STANDARD) zone.kind = TimeZoneState::Standard;
  if (kind == TIME_ZONE_ID_DAYLIGHT) zone.kind = TimeZoneState::Daylight;
  zone.bias = info.Bias;
  zone.standardBias = info.StandardBias;
  zone.daylightBias = info.DaylightBias;
  return zone;
}

uint32_t Win32System::ExchangeErrorMode(uint32_t mode) {
  return SetErrorMode(mode);
}

}  // namespace vp::platform::win32
