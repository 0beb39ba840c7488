#pragma once

#include <ostream>

namespace vp::cli {

// Prints what the program sees of the system it runs on: the Windows
// version, the fixed drives and the code page. Returns the exit status.
int RunSelfCheck(std::ostream& out);

}  // namespace vp::cli
