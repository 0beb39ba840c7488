#pragma once

// The file existence cache: every folder in which a file of a given name was
// seen on the fixed drives, keyed by the file name (without regard to ASCII
// case), so that a file missing where the registry says it is can be looked
// for elsewhere without walking the disks again.
//
// Stored as "FileCache.dat", one line per name, CR LF after each:
//   <notepad.exe>@<c:\windows\><c:\windows\system32\>
// Lines are written in the pre-order of a balanced search tree over the
// names (the median first, then the left half, then the right half), so a
// reader that inserts them one by one into a plain binary tree ends with a
// balanced tree.
//
// Thread safety: every method may be called from any thread. A load parses
// into an index of its own and hands it over whole under the lock, so that
// readers see the old contents or the new ones, never a half-read file.

#include <atomic>
#include <cstdint>
#include <memory>
#include <mutex>
#include <stop_token>
#include <string>
#include <string_view>

#include "files/StringTools.h"

namespace vp {

// How a load shares the processor with the rest of the program.
struct TLoadPacing {
  int linesPerPause = 0;  // pause after this many lines; 0 never pauses
  int pauseMs = 10;
  std::stop_token stop;  // once stopped, the load gives up and changes nothing
};

// The pacing of the delayed load at start-up: 10 ms after every 201 lines.
inline const TLoadPacing kBackgroundLoadPacing{201, 10, {}};

class TFileSystemCache {
 public:
  TFileSystemCache();
  ~TFileSystemCache();
  TFileSystemCache(const TFileSystemCache&) = delete;
  TFileSystemCache& operator=(const TFileSystemCache&) = delete;

  // Empties the cache. A load that is still reading when the cache is
  // cleared is dropped instead of replacing what was added since.
  void Clear();

  // Records a full path: the folder is the text up to and including its last
  // backslash, the name what follows. A name already known with that folder
  // (without regard to case) changes nothing; an empty name is ignored.
  void AddFile(std::string_view path);
  // AddFile for every path, under one lock.
  void AddFiles(const StringList& paths);

  // Folder + name for every folder recorded under the name, in the order
  // recorded; empty when the name is unknown.
  StringList FindFile(std::string_view name) const;

  // The number of (name, folder) entries and of distinct names.
  int32_t FileCount() const;
  int32_t NodeCount() const;

  // Replaces the file with the cache's contents (through a temporary file
  // renamed over it). False when it could not be written.
  bool SaveToFile(std::string_view fileName) const;

  // Replaces the cache's contents with the file's. A missing file changes
  // nothing and succeeds. Lines whose "<" and ">" counts differ, that hold
  // none, or that have no name are skipped; a line repeating an earlier name
  // is dropped whole. False (cache unchanged) when the file exists but cannot
  // be read, or when pacing.stop was set.
  bool LoadFromFile(std::string_view fileName, const TLoadPacing& pacing = {});

  // Bytes held by the index, its arenas' unused capacity included.
  size_t MemoryUsage() const;

  class Index;

 private:
  mutable std::mutex mutex_;
  std::unique_ptr<Index> index_;
  uint64_t generation_ = 0;  // bumped by Clear
};

}  // namespace vp
