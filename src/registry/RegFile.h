#pragma once

// Reader of registry export files: "REGEDIT4" (8-bit text in the code page)
// and "Windows Registry Editor Version 5.00" (UTF-16LE with a byte order mark,
// or 8-bit). Parsing turns a file into a list of operations and a list of the
// lines that cannot be applied; applying runs the operations through
// TFastRegistry on whatever registry is installed. Check first, then apply:
// nothing is changed by parsing.

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace vp {

struct TRegFileOperation {
  enum Kind : std::uint8_t { kCreateKey, kDeleteKey, kSetValue, kDeleteValue };
  Kind kind = kCreateKey;
  int line = 0;            // 1-based line where the entry starts
  std::string keyPath;     // root name + "\" + path below it ("HKEY_CURRENT_USER\Software\x")
  std::string valueName;   // "" is the default value ("@")
  std::uint32_t type = 0;  // registry type of kSetValue
  std::string data;        // the bytes to store; text in the code page with its NUL(s)
};

struct TRegFileProblem {
  int line = 0;  // 1-based; 0 for the file as a whole
  std::string reason;
};

struct TRegFileContents {
  enum Format : std::uint8_t { kUnknown, kRegedit4, kVersion5 };
  Format format = kUnknown;
  std::vector<TRegFileOperation> operations;
  std::vector<TRegFileProblem> problems;  // lines that will not be applied

  // A recognised file whose every line can be applied.
  bool Clean() const { return format != kUnknown && problems.empty(); }
};

class TRegFileReader {
 public:
  // Parses the bytes of a file. Text that has no exact form in the code page
  // (UTF-16 files) makes its line a problem rather than an altered operation;
  // values below a key line that failed are problems too.
  static TRegFileContents Parse(std::string_view bytes);

  // Reads the file through the file system seam and parses it; a file that
  // cannot be read gives kUnknown with one problem.
  static TRegFileContents Load(std::string_view path);

  // Applies the operations in order. Returns the operations that could not
  // be carried out (line and reason); deleting what is already absent counts
  // as done.
  static std::vector<TRegFileProblem> Apply(const std::vector<TRegFileOperation>& operations);
};

}  // namespace vp
