#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "core/Clock.h"

// The layout of one backup set on disk: its folder name and "Index.dat".
namespace vp::backup {

constexpr std::string_view kIndexFile = "Index.dat";
constexpr std::string_view kEntriesFile = "Entries.reg";
constexpr std::string_view kFilesFile = "Files.dat";
constexpr std::string_view kStringsFile = "Strings.dat";
constexpr std::string_view kCookiesFile = "Cookies.dat";

// Set folders are named by a number below this, as six hex digits.
constexpr uint32_t kSetNameCount = 10000;
// Random draws before the search for a free name goes in order.
constexpr int kRandomSetNameDraws = 64;

// Six upper-case hexadecimal digits ("00270F").
std::string SetFolderName(uint32_t number);

// A free set folder under baseFolder (which ends with a backslash), with
// its trailing backslash: up to kRandomSetNameDraws random names, then the
// first free one in order. Empty when all kSetNameCount names are taken.
// `random(n)` gives a number below n.
std::optional<std::string> PickSetFolder(const std::string& baseFolder,
                                         const std::function<bool(const std::string&)>& folderExists,
                                         const std::function<uint32_t(uint32_t)>& random);

struct IndexInfo {
  std::string programVersion;
  std::string description;
  int typeCode = 9;
  std::string setId;
  LocalTime now;
  LocaleFormats formats;
};

// The whole text of "Index.dat", CR LF line ends.
std::string IndexText(const IndexInfo& info);

// The text whose digest is the set ID: the parts concatenated without
// separators. The ID only has to be unique.
struct SetIdParts {
  double dayNumber = 0;
  uint64_t tickCount = 0;
  bool oldFormat = false;
  std::string setFolder;
  std::string indexPath;
  std::string entriesPath;
  int32_t stringCount = 0;
  uint32_t randomNumber = 0;
};
std::string SetIdSource(const SetIdParts& parts);

}  // namespace vp::backup
