#pragma once

#include <mutex>
#include <string>
#include <string_view>
#include <vector>

#include "files/StringTools.h"

namespace vp {

// The marker keys one scan made under HKEY_CURRENT_USER\Software to find
// the user's hive. While one exists another area may list it (as an empty
// software key, say), and its removal may come between that area's look and
// its report: a finding at or below a marker is never reported. The names
// hold a tick count, so remembering the last few for good costs nothing.
class THiveMarkers {
 public:
  void Remember(const std::string& path) {
    std::lock_guard lock(mutex_);
    paths_.push_back(path);
    if (paths_.size() > 64) paths_.erase(paths_.begin());
  }
  void Forget(const std::string& path) {
    std::lock_guard lock(mutex_);
    std::erase(paths_, path);
  }
  bool Covers(std::string_view keyPath) const {
    std::lock_guard lock(mutex_);
    for (const std::string& path : paths_) {
      if (keyPath.size() < path.size() || !SameText(keyPath.substr(0, path.size()), path)) continue;
      if (keyPath.size() == path.size() || keyPath[path.size()] == '\\') return true;
    }
    return false;
  }

 private:
  mutable std::mutex mutex_;
  std::vector<std::string> paths_;
};

}  // namespace vp
