#pragma once

// The safe list: entries that look broken to the checks but must never be
// offered for removal (security and backup software, installer bookkeeping,
// log files that come and go, shell folder settings, the classes executables
// depend on, known false alarms). A fixed, ordered set of rules.

#include <string_view>

namespace vp {

// Whether a finding may be reported: false when any rule of the safe list
// holds for it. The rules look at five subjects formed from the arguments:
// the root and the key path (each without one trailing backslash), the full
// key root + "\" + key path, the full text
// root + "\" + key path + "\" + value name + " : " + value data, and the
// value name and data as given.
bool IsReportable(std::string_view rootName, std::string_view keyPath, std::string_view valueName,
                  std::string_view valueData);

// The same for a bare file path, as the file reference analysis asks.
bool IsReportablePath(std::string_view path);

// The number (1 to 118) of the first rule that holds, or 0 when none does.
int FirstSafeListRule(std::string_view rootName, std::string_view keyPath, std::string_view valueName,
                      std::string_view valueData);

// The important-key test: after removing one trailing backslash, the text is
// shorter than 3 characters, contains the key of a program file class
// (exefile, scrfile, comfile, batfile, piffile, htafile, htcfile, regfile
// under HKEY_CLASSES_ROOT), or equals one of the keys every system depends
// on. Without regard to case.
bool IsImportantKey(std::string_view text);

}  // namespace vp
