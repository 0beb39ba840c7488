#pragma once

#include <cstdint>
#include <functional>
#include <random>
#include <string>

#include "core/Clock.h"
#include "registry/KeyAddress.h"

namespace vp {

// Writes backup sets and carries the registry and file changes they protect.
//
// A set is a folder of six hex digits under the backups folder holding
// "Index.dat", "Entries.reg" (an import file for the registry editor and for
// RestoreBackupSet), "Files.dat" and "Strings.dat" (INI lists), "Cookies.dat"
// and copies of files. Every Add returns true only once what it wrote is on
// disk (flushed), so the change it protects may follow; each appends to its
// file, so a set grows in time linear in its size. Every failure is a false
// result; nothing is shown to the user. One instance serves one action on
// one thread.
class TBackupTool {
 public:
  // Takes the old-format flag from the Windows version (major below 5).
  TBackupTool();
  explicit TBackupTool(const Clock& clock);
  // Finishes the newest set as complete unless Finish came first.
  ~TBackupTool();
  TBackupTool(const TBackupTool&) = delete;
  TBackupTool& operator=(const TBackupTool&) = delete;

  // Opens a new set under baseFolder (which must exist). Each call opens a
  // fresh set; later operations go to the newest.
  bool CreateBackup(const std::string& baseFolder, const std::string& description, int typeCode,
                    const std::string& programVersion, const std::string& usedBy);

  // Exports one value ("@" or "" for the default value) of the key. False
  // when no set is open, the address has no root, or the value cannot be
  // read exactly.
  bool AddValue(const TKeyAddress& key, const std::string& valueName);
  // Exports a key with everything below it; false as AddValue, for a root
  // itself, and when any part of the tree cannot be read exactly.
  bool AddKey(const TKeyAddress& key);
  // The same for root name, backslash, sub-key path; an unknown root name
  // fails.
  bool AddKeyByPath(const std::string& fullPath);
  // Closes the newest set: removes its files that stayed empty, and its
  // "Entries.reg" when no key reached it ("Index.dat" and the folder
  // remain), then records in "Index.dat" whether the action ran to its end
  // and the digest of every file, so that a restore can tell the set is
  // whole and unchanged. Later Adds fail. A set its tool never finished
  // (the process was killed) shows as unfinished. True when recorded.
  bool Finish(bool interrupted);
  // Copies a file into the set and lists it in "Files.dat".
  bool AddFile(const std::string& fileName);
  // Records a text in "Strings.dat".
  bool AddString(const std::string& text);

  // The changes; they need no open set. An address without a root, or a
  // root itself, is refused.
  bool RemoveValue(const TKeyAddress& key, const std::string& valueName);
  bool RemoveKey(const TKeyAddress& key);
  bool RemoveKeyByPath(const std::string& fullPath);
  bool RemoveFile(const std::string& fileName);
  // Writes text keeping the value's type (string, expandable string, or
  // multi-string with CR LF between the strings); a new value is a string.
  bool SetStringValue(const TKeyAddress& key, const std::string& data, const std::string& valueName);

  // The newest set's folder with a trailing backslash; empty before the
  // first CreateBackup succeeded.
  const std::string& SetFolder() const { return setFolder_; }
  bool OldFormat() const { return oldFormat_; }

  // Runs while a large key tree is exported, before every hundredth sub-key,
  // so that a window stays responsive.
  void SetKeepAlive(std::function<void()> keepAlive) { keepAlive_ = std::move(keepAlive); }
  // The random numbers for set and copy names: a number below the argument.
  void SetRandomSource(std::function<uint32_t(uint32_t)> random) { random_ = std::move(random); }

 private:
  bool Open() const { return setOpen_ && !finished_; }
  uint32_t Random(uint32_t below);
  bool AppendEntries(const std::string& text);
  bool ExportKey(const TKeyAddress& key);
  std::string MakeSetId(const LocalTime& now);
  std::string MakeBackupFileName(const std::string& fileName);
  void CleanNewestSet();

  const Clock& clock_;
  bool oldFormat_ = false;
  std::string setFolder_;
  bool setOpen_ = false;   // the newest CreateBackup succeeded
  bool finished_ = false;  // Finish ran for the newest set
  std::string entriesPath_;
  std::string indexPath_;
  int32_t stringCount_ = 0;
  int32_t fileCount_ = 0;

  // How many bytes of "Entries.reg" this tool knows to be on disk, their
  // form (see EntriesFileBytes), and the key header they end under.
  size_t entriesSize_ = 0;
  bool entriesWide_ = false;
  std::string lastHeader_;
  // Set when "Entries.reg" may hold a torn write that could not be undone:
  // nothing more is added to that set.
  bool entriesBroken_ = false;

  std::function<void()> keepAlive_;
  std::function<uint32_t(uint32_t)> random_;
  std::mt19937 generator_;
};

}  // namespace vp
