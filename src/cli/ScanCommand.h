#pragma once

#include <ostream>
#include <string>
#include <vector>

namespace vp::cli {

// "scan [--deep] [--folder PROGRAM_FOLDER] [--ignored]": runs a registry
// scan with the program folder's ignore lists and English texts, prints one
// line per item (key, entry, problem, tab-separated) and the counters.
// Returns the exit status: 0 done, 2 bad arguments or unreadable lists.
int RunScanCommand(const std::vector<std::string>& arguments, const std::string& programPath,
                   std::ostream& out, std::ostream& err);

}  // namespace vp::cli
