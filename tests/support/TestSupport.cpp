#include "support/TestSupport.h"

#include <fstream>
#include <iterator>

namespace vp::test {

std::string DataPath(const std::string& relative) {
  std::string path = std::string(VP_TEST_DATA_DIR) + "/" + relative;
#ifdef _WIN32
  for (char& c : path)
    if (c == '/') c = '\\';
  path = "Z:" + path;
#endif
  return path;
}

std::string HostFileBytes(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

}  // namespace vp::test
