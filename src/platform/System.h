#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace vp::platform {

struct WindowsVersion {
  uint32_t major = 0;
  uint32_t minor = 0;
  uint32_t build = 0;
  uint32_t platformId = 2;  // VER_PLATFORM_WIN32_NT
};

// Process error mode bit: critical errors fail silently (SEM_FAILCRITICALERRORS).
inline constexpr uint32_t kFailCriticalErrors = 0x0001;

// Priorities a thread of the program asks for.
enum class ThreadPriority : int { Idle, Normal, AboveNormal };

// The system's time-zone state: local time = UTC - bias minutes, where the
// bias is Bias in standard time and Bias + DaylightBias in daylight time.
struct TimeZoneState {
  enum Kind : int { Unknown = 0, Standard = 1, Daylight = 2 };
  Kind kind = Unknown;
  int32_t bias = 0;
  int32_t standardBias = 0;
  int32_t daylightBias = 0;
};

// What the program needs of the operating system beyond the registry and the
// file system. All text is 8-bit in the system code page.
class System {
 public:
  virtual ~System() = default;

  // The system code page's own (locale-aware) case mapping, byte for byte;
  // bytes without a counterpart in the code page stay as they are.
  virtual std::string UpperCase(std::string_view text) const = 0;
  virtual std::string LowerCase(std::string_view text) const = 0;

  // Locale-aware comparison without regard to case: negative, 0 or positive.
  virtual int CompareTextNoCase(std::string_view a, std::string_view b) const = 0;

  // Expands %NAME% references as the system does: unknown names stay as
  // written. Empty optional when the system reports a failure.
  virtual std::optional<std::string> ExpandEnvironment(std::string_view text) const = 0;

  // The ANSI code page number (1252 on a western system).
  virtual uint32_t AnsiCodePage() const = 0;

  virtual WindowsVersion Version() const = 0;

  // The Windows folder ("C:\Windows") and the system folder
  // ("C:\Windows\system32"), without a trailing backslash.
  virtual std::string WindowsFolder() const = 0;
  virtual std::string SystemFolder() const = 0;

  // The user's temporary folder, with a trailing backslash.
  virtual std::string TempFolder() const = 0;

  // The program the shell associates with an existing file (by its
  // extension); empty when there is none or the file does not exist.
  virtual std::optional<std::string> AssociatedProgram(std::string_view file) const = 0;

  // The program the shell associates with files of an extension (".txt"),
  // asked without leaving anything behind in the machine's folders, even
  // when the process is killed meanwhile; empty when there is none.
  virtual std::optional<std::string> AssociatedProgramFor(std::string_view extension) const = 0;

  // A string of a program file's version resource ("FileDescription",
  // "CompanyName", ...), from its first translation; empty when absent.
  virtual std::optional<std::string> FileVersionString(std::string_view file,
                                                       std::string_view name) const = 0;

  // Sets the priority of the calling thread; false when the system refuses.
  virtual bool SetCurrentThreadPriority(ThreadPriority priority) = 0;

  // The time-zone state in force now.
  virtual TimeZoneState CurrentTimeZone() const = 0;

  // Sets the process error mode (kFailCriticalErrors: drives without media
  // raise no system dialog) and returns the mode it replaces.
  virtual uint32_t ExchangeErrorMode(uint32_t mode) = 0;
};

}  // namespace vp::platform
