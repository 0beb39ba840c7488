#pragma once

#include <atomic>
#include <map>
#include <mutex>
#include <string>

#include "platform/FileSystem.h"
#include "platform/System.h"

namespace vp::platform::sim {

// A western Windows system: code page 1252 with its case mapping, and an
// environment table that tests can change.
class SimSystem : public System {
 public:
  SimSystem();

  std::string UpperCase(std::string_view text) const override;
  std::string LowerCase(std::string_view text) const override;
  int CompareTextNoCase(std::string_view a, std::string_view b) const override;
  std::optional<std::string> ExpandEnvironment(std::string_view text) const override;
  uint32_t AnsiCodePage() const override { return 1252; }
  WindowsVersion Version() const override;
  void SetVersion(const WindowsVersion& version);

  std::string WindowsFolder() const override;
  std::string SystemFolder() const override;
  // %TMP%, else %TEMP%, else %USERPROFILE%, else the Windows folder; with a
  // trailing backslash.
  std::string TempFolder() const override;
  std::optional<std::string> AssociatedProgram(std::string_view file) const override;
  // Answered from the associations set, touching no file.
  std::optional<std::string> AssociatedProgramFor(std::string_view extension) const override;
  std::optional<std::string> FileVersionString(std::string_view file, std::string_view name) const override;

  void SetFolders(const std::string& windowsFolder, const std::string& systemFolder);
  // The program associated with files of an extension (".txt", any case).
  void SetAssociation(const std::string& extension, const std::string& program);
  // A version string of a program file (path compared without regard to case).
  void SetVersionString(const std::string& file, const std::string& name, const std::string& value);
  // The machine's file system, consulted for the existence of files.
  void AttachFiles(const FileSystem* files);

  // Environment variables; names compare without regard to case.
  void SetEnvironment(const std::string& name, const std::string& value);
  void ClearEnvironment(const std::string& name);
  std::optional<std::string> GetEnvironment(const std::string& name) const;

  // Thread priorities are only recorded: the last one asked for is kept.
  bool SetCurrentThreadPriority(ThreadPriority priority) override;
  ThreadPriority LastThreadPriority() const;
  TimeZoneState CurrentTimeZone() const override;
  void SetTimeZone(const TimeZoneState& zone);
  uint32_t ExchangeErrorMode(uint32_t mode) override;
  uint32_t ErrorMode() const { return errorMode_.load(); }

 private:
  struct NoCaseLess {
    bool operator()(const std::string& a, const std::string& b) const;
  };
  mutable std::mutex mutex_;
  WindowsVersion version_{6, 1, 7601, 2};
  std::map<std::string, std::string, NoCaseLess> environment_;
  std::string windowsFolder_ = "C:\\Windows";
  std::string systemFolder_ = "C:\\Windows\\system32";
  std::map<std::string, std::string, NoCaseLess> associations_;
  std::map<std::string, std::string, NoCaseLess> versionStrings_;  // file + '|' + name
  const FileSystem* files_ = nullptr;
  std::atomic<int> lastThreadPriority_{static_cast<int>(ThreadPriority::Normal)};
  std::atomic<uint32_t> errorMode_{0};
  mutable std::mutex zoneMutex_;
  TimeZoneState timeZone_{TimeZoneState::Standard, 0, 0, -60};
};

// Code page 1252's case mapping for one byte.
unsigned char Cp1252Upper(unsigned char c);
unsigned char Cp1252Lower(unsigned char c);

}  // namespace vp::platform::sim
