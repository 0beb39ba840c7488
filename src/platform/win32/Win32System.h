#pragma once

#include "platform/System.h"

namespace vp::platform::win32 {

// The real system, through the wide API and strict code-page conversion.
class Win32System : public System {
 public:
  std::string UpperCase(std::string_view text) const override;
  std::string LowerCase(std::string_view text) const override;
  int CompareTextNoCase(std::string_view a, std::string_view b) const override;
  std::optional<std::string> ExpandEnvironment(std::string_view text) const override;
  uint32_t AnsiCodePage() const override;
  WindowsVersion Version() const override;
  std::string WindowsFolder() const override;
  std::string SystemFolder() const override;
  std::string TempFolder() const override;
  std::optional<std::string> AssociatedProgram(std::string_view file) const override;
  // The shell answers only for an existing file: an empty one is made in the
  // user's temporary folder under a unique name, deleted when its handle
  // closes, which the system does for a killed process too.
  std::optional<std::string> AssociatedProgramFor(std::string_view extension) const override;
  std::optional<std::string> FileVersionString(std::string_view file, std::string_view name) const override;
  bool SetCurrentThreadPriority(ThreadPriority priority) override;
  TimeZoneState CurrentTimeZone() const override;
  uint32_t ExchangeErrorMode(uint32_t mode) override;
};

}  // namespace vp::platform::win32
