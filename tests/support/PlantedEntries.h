#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "platform/Registry.h"

namespace vp::test {

// Registry entries and files planted for a test on the system in force (the
// real one under Wine, the simulated one natively) and put back at the end,
// also when the test fails half-way: the keys it created go with everything
// below them, the values it wrote into keys that were there before get their
// old type and data back (or go, when they were new), and the files and
// folders it made are removed.
class PlantedEntries {
 public:
  PlantedEntries() = default;
  ~PlantedEntries() { Remove(); }
  PlantedEntries(const PlantedEntries&) = delete;
  PlantedEntries& operator=(const PlantedEntries&) = delete;

  // A key (and its missing parents); with a name, a string value in it.
  void Key(platform::RegHandle root, const std::string& path);
  void Value(platform::RegHandle root, const std::string& path, const std::string& name,
             const std::string& text);
  // A file (and its missing folders), by its Windows path.
  void File(const std::string& path, const std::string& bytes);

  // Notes what a change made by other means is about to touch, before it is
  // made: the topmost key of the path that does not exist yet, or else the
  // value's present state.
  ::testing::AssertionResult NoteKey(platform::RegHandle root, const std::string& path);
  ::testing::AssertionResult NoteValue(platform::RegHandle root, const std::string& path,
                                       const std::string& name);

  // Puts everything back now; true when nothing planted is left.
  bool Remove();

 private:
  struct SavedValue {
    platform::RegHandle root;
    std::string path;
    std::string name;
    bool existed = false;
    uint32_t type = 0;
    std::string data;
  };
  bool InCreatedKey(platform::RegHandle root, const std::string& path) const;

  std::vector<std::pair<platform::RegHandle, std::string>> keys_;  // topmost keys that were new
  std::vector<SavedValue> values_;
  std::vector<std::string> files_;
  std::vector<std::string> folders_;
};

}  // namespace vp::test
