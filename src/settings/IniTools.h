#pragma once

// Small INI reads and writes over the INI store, the cached reader used for
// language files, and a memo for repeated lookups.

#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>

#include "platform/FileSystem.h"

namespace vp {

class TBigIniFile;

// The value of key in section of the file; "" when the file or key is absent.
std::string ReadIniString(std::string_view file, std::string_view section, std::string_view key);

// Creates the folder and an empty file when missing, clears the file's
// read-only bit, writes the value and writes the file back at once. True
// when the file was written.
bool WriteIniString(std::string_view file, std::string_view section, std::string_view key,
                    std::string_view value);

// Reads INI values through one cached copy of the last file read, reloaded
// when another file is asked for (exact name) or the file changed on disk.
// Used by one thread at a time.
class TFileTools {
 public:
  TFileTools();
  ~TFileTools();
  TFileTools(const TFileTools&) = delete;
  TFileTools& operator=(const TFileTools&) = delete;

  // The value, trimmed, cut before the first "//" and trimmed again, with
  // every "<br>" (any case) turned into CR LF. "" for an absent file.
  std::string ReadIniText(std::string_view file, std::string_view section, std::string_view key);

 private:
  std::unique_ptr<TBigIniFile> ini_;
  std::string loadedFrom_;
  platform::FileTime loadedTime_ = 0;
};

// A memo of text results by key; keys compare in lower case (system case
// mapping). Nothing is ever evicted. Used by one thread at a time.
class TFunctionCacher {
 public:
  // The value stored for key; false (and value emptied) when there is none.
  bool Lookup(std::string_view key, std::string& value) const;
  // Stores value for key, replacing an earlier value.
  void Store(std::string_view key, std::string_view value);

 private:
  std::unordered_map<std::string, std::string> values_;
};

}  // namespace vp
