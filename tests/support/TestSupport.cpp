#include "support/TestSupport.h"

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

}  // namespace vp::test
