#include "support/TestSupport.h"

#include <fstream>
#include <iterator>

namespace vp::test {

namespace {

// A host path as the program under test names it.
std::string ProgramPath(std::string path) {
#ifdef _WIN32
  for (char& c : path)
    if (c == '/') c = '\\';
  path = "Z:" + path;
#endif
  return path;
}

}  // namespace

std::string DataPath(const std::string& relative) {
  return ProgramPath(std::string(VP_TEST_DATA_DIR) + "/" + relative);
}

std::string BuiltFixturePath(const std::string& name) {
#ifdef VP_TEST_FIXTURE_DIR
  return ProgramPath(std::string(VP_TEST_FIXTURE_DIR) + "/" + name);
#else
  (void)name;
  return std::string();
#endif
}

std::string ShippedFile(const std::string& relative) {
  std::ifstream in(DataPath("../../data/" + relative), std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

std::string HostFileBytes(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

}  // namespace vp::test
