#include "backup/SetSeal.h"

#include <algorithm>
#include <map>
#include <optional>
#include <string_view>

#include "backup/SetLayout.h"
#include "files/StringTools.h"
#include "platform/FileSystem.h"
#include "platform/Platform.h"

namespace vp::backup {
namespace {

using platform::Files;

constexpr std::string_view kSealLine = "[Finished]\r\n";
constexpr std::string_view kDigestsLine = "[Digests]\r\n";
constexpr std::string_view kIndexDigestName = "Index.dat";
// Files that come and go without changing what a restore does.
constexpr std::string_view kCookies = kCookiesFile;

struct FolderContents {
  struct File {
    std::string name;
    std::string digest;
  };
  std::map<std::string, File> files;  // by upper-case name
  std::vector<std::string> folders;
};

std::string Upper(std::string_view text) {
  return FixedUpperText(text);
}

std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines;
  size_t start = 0;
  while (start < text.size()) {
    size_t end = text.find('\n', start);
    if (end == std::string::npos) end = text.size();
    std::string line = text.substr(start, end - start);
    if (!line.empty() && line.back() == '\r') line.pop_back();
    lines.push_back(std::move(line));
    start = end + 1;
  }
  return lines;
}

// Every entry of the set folder but its index. A file that cannot be read
// has the digest "unreadable": a restore cannot use it while it stays so, and
// it counts as changed once it reads.
FolderContents ReadContents(const std::string& setFolder) {
  FolderContents contents;
  auto search = Files().Search(setFolder + "*");
  platform::DirectoryEntry entry;
  while (search->Next(entry)) {
    if (entry.IsFolder() || (entry.attributes & platform::kAttrReparsePoint) != 0) {
      contents.folders.push_back(entry.name);
      continue;
    }
    if (SameText(entry.name, kIndexFile) || SameText(entry.name, kCookies)) continue;
    const auto bytes = Files().ReadWholeFile(setFolder + entry.name);
    contents.files[Upper(entry.name)] = {entry.name, bytes ? Sha1Hex(*bytes) : std::string("unreadable")};
  }
  return contents;
}

// The index text before the record, and the record's lines after it.
struct IndexParts {
  std::string header;
  std::optional<std::string> seal;
};

IndexParts SplitIndex(const std::string& text) {
  IndexParts parts;
  size_t at = text.find(kSealLine);
  while (at != std::string::npos && at != 0 && text[at - 1] != '\n') at = text.find(kSealLine, at + 1);
  if (at == std::string::npos) {
    parts.header = text;
  } else {
    parts.header = text.substr(0, at);
    parts.seal = text.substr(at + kSealLine.size());
  }
  return parts;
}

}  // namespace

const char* SetStateText(SetState state) {
  switch (state) {
    case SetState::kComplete:
      return "complete";
    case SetState::kInterrupted:
      return "interrupted";
    case SetState::kUnfinished:
      return "interrupted, never finished";
  }
  return "";
}

bool SealSet(const std::string& setFolder, bool interrupted) {
  const std::string indexPath = setFolder + std::string(kIndexFile);
  const auto index = Files().ReadWholeFile(indexPath);
  if (!index) return false;
  const IndexParts parts = SplitIndex(*index);
  if (parts.seal) return false;  // sealed once, never again
  const FolderContents contents = ReadContents(setFolder);

  std::string text = parts.header;
  text += kSealLine;
  text += interrupted ? "State=Interrupted\r\n" : "State=Complete\r\n";
  text += kDigestsLine;
  text += std::string(kIndexDigestName) + "=" + Sha1Hex(parts.header) + "\r\n";
  // A name may hold '=': the digest stands after the last one.
  for (const auto& [key, file] : contents.files) text += file.name + "=" + file.digest + "\r\n";
  return Files().ReplaceWholeFile(indexPath, text);
}

namespace {

struct Record {
  SetSeal seal;
  std::map<std::string, std::string> digests;  // by upper-case name
  std::map<std::string, std::string> names;    // upper-case name to the name recorded
  std::string header;                          // the index text before the record
};

Record ReadRecord(const std::string& setFolder) {
  Record record;
  const auto index = Files().ReadWholeFile(setFolder + std::string(kIndexFile));
  if (!index) {
    record.seal.differences.push_back("no Index.dat");
    return record;
  }
  const IndexParts parts = SplitIndex(*index);
  record.header = parts.header;
  if (!parts.seal) return record;
  bool inDigests = false;
  std::string state;
  for (const std::string& line : Lines(*parts.seal)) {
    if (line.empty()) continue;
    if (line + "\r\n" == kDigestsLine) {
      inDigests = true;
    } else if (!inDigests && line.rfind("State=", 0) == 0) {
      state = line.substr(6);
    } else if (inDigests && line.find('=') != std::string::npos) {
      const size_t equals = line.rfind('=');
      const std::string key = Upper(line.substr(0, equals));
      record.digests[key] = line.substr(equals + 1);
      record.names[key] = line.substr(0, equals);
    } else {
      record.seal.differences.push_back("Index.dat has an unexpected line after the record");
    }
  }
  if (state == "Complete") {
    record.seal.state = SetState::kComplete;
  } else if (state == "Interrupted") {
    record.seal.state = SetState::kInterrupted;
  } else {
    record.seal.differences.push_back("Index.dat records no known state");
  }
  return record;
}

}  // namespace

SetState RecordedSetState(const std::string& setFolder) {
  return ReadRecord(setFolder).seal.state;
}

SetSeal CheckSetSeal(const std::string& setFolder) {
  Record record = ReadRecord(setFolder);
  SetSeal& seal = record.seal;
  if (seal.state == SetState::kUnfinished) return seal;
  auto& recorded = record.digests;
  const std::string indexKey = Upper(kIndexDigestName);
  if (recorded[indexKey] != Sha1Hex(record.header)) seal.differences.push_back("Index.dat changed");
  recorded.erase(indexKey);
  const FolderContents contents = ReadContents(setFolder);
  for (const std::string& folder : contents.folders) seal.differences.push_back("extra folder " + folder);
  for (const auto& [key, file] : contents.files) {
    auto found = recorded.find(key);
    if (found == recorded.end()) {
      seal.differences.push_back("extra file " + file.name);
    } else {
      if (found->second != file.digest) seal.differences.push_back(file.name + " changed");
      recorded.erase(found);
    }
  }
  for (const auto& [key, digest] : recorded) seal.differences.push_back("missing file " + record.names[key]);
  return seal;
}

}  // namespace vp::backup
