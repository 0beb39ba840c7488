#pragma once

#include <string>
#include <tuple>
#include <vector>

#include "platform/Registry.h"

namespace vp::test {

// Registry entries and files planted for a test on the system in force (the
// real one under Wine, the simulated one natively) and removed again at the
// end: the keys it created with everything below them, the values it wrote
// into keys that were there before, the files and folders it made.
class PlantedEntries {
 public:
  PlantedEntries() = default;
  ~PlantedEntries();
  PlantedEntries(const PlantedEntries&) = delete;
  PlantedEntries& operator=(const PlantedEntries&) = delete;

  // A key (and its missing parents); with a name, a string value in it.
  void Key(platform::RegHandle root, const std::string& path);
  void Value(platform::RegHandle root, const std::string& path, const std::string& name,
             const std::string& text);
  // A file (and its missing folders), by its Windows path.
  void File(const std::string& path, const std::string& bytes);

 private:
  std::vector<std::tuple<platform::RegHandle, std::string>> keys_;
  std::vector<std::tuple<platform::RegHandle, std::string, std::string>> values_;
  std::vector<std::string> files_;
  std::vector<std::string> folders_;
};

}  // namespace vp::test
