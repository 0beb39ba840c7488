#pragma once

// An INI file held whole in memory and written back only when it changed.
//
// File format (8-bit text, CR LF line ends; LF and lone CR are read too):
// "[name]" opens a section (the name kept exactly, blanks included); every
// other non-empty line belongs to the last section, verbatim ("key=value",
// the key everything before the first "="). Lines before the first section,
// empty lines and lines holding only Ctrl-Z are dropped. Section names and
// keys compare without regard to case through the system's comparison.

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "files/StringTools.h"

namespace vp {

// How a store reaches its file. The default goes through the platform's file
// system; tests put their own in between.
class IniFileAccess {
 public:
  enum class ReadResult { Loaded, Missing, Failed };

  virtual ~IniFileAccess() = default;
  // The file's bytes; Missing when there is no such file, Failed when it
  // exists but cannot be read.
  virtual ReadResult Read(const std::string& path, std::string& bytes) const = 0;
  // Replaces the file's content in one step (a new file beside it, renamed
  // over it): when this fails the old file is still whole.
  virtual bool Replace(const std::string& path, std::string_view bytes) = 0;
};

// The platform file system's access. Never null; lives as long as the program.
IniFileAccess& PlatformIniFileAccess();

class TBigIniFile {
 public:
  // Binds the store to fileName (see SetFileName). access: null for the
  // platform's file system; otherwise must outlive the store.
  explicit TBigIniFile(std::string_view fileName = {}, IniFileAccess* access = nullptr);
  // Writes pending changes (FlushFile); a failure is lost here, so callers
  // that care call FlushFile first.
  ~TBigIniFile();
  TBigIniFile(const TBigIniFile&) = delete;
  TBigIniFile& operator=(const TBigIniFile&) = delete;

  // Writes pending changes to the current file, empties the store and loads
  // fileName when it is not empty. False when the old file could not be
  // written (its changes are gone) or the new one could not be read.
  bool SetFileName(std::string_view fileName);
  const std::string& FileName() const { return fileName_; }

  // The value of the first line of the section whose key equals key, or def.
  std::string ReadString(std::string_view section, std::string_view key, std::string_view def) const;

  // With a key: the line becomes key=value, replacing the first line of that
  // key (the store counts as changed only when the text differs) or appended
  // to the section, which is created at the end when missing. Line breaks in
  // section, key or value are written as blanks, so that a value can never
  // turn into further lines of the file.
  // With an empty key: an empty section and value means FlushFile; otherwise
  // the section is erased.
  void WriteString(std::string_view section, std::string_view key, std::string_view value);

  // The value as a 32-bit integer: decimal, or hexadecimal after "$" or a
  // leading "0x"/"0X"; def when absent or not a valid integer.
  int32_t ReadInteger(std::string_view section, std::string_view key, int32_t def) const;
  void WriteInteger(std::string_view section, std::string_view key, int32_t value);
  // ReadInteger(default 1 or 0) != 0.
  bool ReadBool(std::string_view section, std::string_view key, bool def) const;
  // Writes "1" or "0".
  void WriteBool(std::string_view section, std::string_view key, bool value);

  // Appends the keys of the section's lines (lines without "=" have none and
  // are left out); nothing when the section is missing.
  void ReadSection(std::string_view section, StringList& keys) const;
  // Appends the section names in order (empty sections included).
  void ReadSections(StringList& sections) const;
  // Appends the section's raw lines.
  void ReadSectionValues(std::string_view section, StringList& lines) const;
  // Appends what the file would hold, one line per entry.
  void ReadAll(StringList& lines) const;

  // Removes the section with its lines.
  void EraseSection(std::string_view section);
  // Removes the first line of the key; a missing section is created empty
  // (and, having no lines, is never written).
  void DeleteKey(std::string_view section, std::string_view key);

  // When something changed and a file is bound, rewrites the whole file.
  // False when the write failed or the file could not be read at load (it is
  // then never overwritten, so nothing in it is lost): the changes stay in
  // memory and pending for a later call.
  bool FlushFile();

  // Adds the file's sections after those held and drops later duplicates of
  // a section name. A missing file loads nothing. False when the file exists
  // but cannot be read; the store then refuses to overwrite that file.
  bool LoadFile(std::string_view fileName);
  // The same from bytes in memory.
  void LoadText(std::string_view bytes);

  // The text FlushFile writes: for every section with lines "[name]", its
  // lines and an empty line, each ended by CR LF.
  std::string FileText() const;

  bool Changed() const { return changed_; }

 private:
  struct Section {
    std::string name;
    StringList lines;
  };

  // Index of the section, searching forward from the last hit and wrapping;
  // -1 when missing.
  int FindSection(std::string_view name) const;
  Section& SectionForWrite(std::string_view name);
  void DropDuplicateSections();

  std::string fileName_;
  IniFileAccess* access_;
  std::vector<Section> sections_;
  mutable size_t lastFound_ = 0;
  bool changed_ = false;
  bool loadFailed_ = false;  // the bound file exists but could not be read
};

// The line's key (text before the first "="), or false when it has no "=".
bool IniLineKey(std::string_view line, std::string_view& key);

// Text as a 32-bit integer the way the store reads it: leading blanks, an
// optional sign, then decimal digits or "$" and hexadecimal digits (up to
// FFFFFFFF, taken as two's complement); nothing may follow.
bool ParseIniInteger(std::string_view text, int32_t& value);

}  // namespace vp
