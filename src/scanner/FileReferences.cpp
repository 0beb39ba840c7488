#include "scanner/FileReferences.h"

#include <array>
#include <cmath>
#include <optional>
#include <unordered_set>

#include "files/FileTools.h"
#include "files/PathText.h"
#include "platform/FileSystem.h"
#include "platform/Platform.h"
#include "platform/System.h"
#include "scanner/ExistenceMemo.h"
#include "scanner/SafeList.h"

namespace vp {
namespace {

constexpr size_t kMaxData = 1000;
constexpr int kMaxStartMoves = 100;
constexpr int kMaxDrivePositions = 100;
constexpr size_t kMaxExpansion = 1024;
// Bounds the environment expansion of one data string: however the values
// of the variables nest, the working text stays small.
constexpr size_t kMaxExpandedData = 64 * 1024;

constexpr TByteSet kCandidateEnd("?*\"/<>|");

// Parts of one suite of program files whose paths are known to confuse the
// candidate search.
constexpr std::string_view kSuiteFiles[] = {
    "Bin\\ImSpool.dll", "Bin\\ImFeat.dll",  "Bin\\ImFoldrs.dll", "Bin\\ImParser.dll", "Bin\\ImTools.dll",
    "Bin\\ImView.dll",  "Bin\\ImSupp.dll",  "Bin\\ImMangr.dll",  "Bin\\ImImprt.dll",  "Bin\\ImNotfy.dll",
    "Bin\\ImAnim.dll",  "Bin\\ImBook.dll",  "Bin\\ImServ.dll",   "Bin\\ImShExt.dll",  "Bin\\ImpCnt.exe",
    "Bin\\IncMail.exe", "Bin\\ImPackr.exe",
};

// Attempts 9 to 29 cut the text before the first of these.
constexpr std::array<char, 21> kCutCharacters = {' ', '%', '-', ';', '.', ',', '+', '&',  '$', '\xA3', '@',
                                                 '(', '{', '[', ')', '}', ']', '=', '\'', '^', '\xA8'};

bool IsAsciiLetter(char c) {
  return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}

bool Contains(std::string_view text, std::string_view needle) {
  return PosEx(needle, text) > 0;
}

// Index of needle at or after from, without regard to case; npos when none.
size_t FindNoCase(std::string_view needle, std::string_view text, size_t from) {
  if (from >= text.size()) return std::string_view::npos;
  const int at = PosEx(needle, text, static_cast<int>(from) + 1);
  return at > 0 ? static_cast<size_t>(at - 1) : std::string_view::npos;
}

// The forms found missing during one analysis: the file system does not
// change meanwhile as far as the analysis is concerned, so each form is
// looked up once.
using MissingForms = std::unordered_set<std::string>;

struct Tally {
  int found = 0;
  int missing = 0;
  int excused = 0;
  bool Settled() const { return found > 0 || excused > 0; }
};

void AddUp(const TCandidateCheck& check, Tally& tally, TAnalyzerResult& result) {
  switch (check.Status) {
    case kCandidateExists:
      ++tally.found;
      break;
    case kCandidateMissing: {
      ++tally.missing;
      result.Detail = check.Path;
      std::string best = BestPathIn(check.Path);
      if (!best.empty()) result.Detail = std::move(best);
      break;
    }
    case kCandidateExcused:
      ++tally.excused;
      if (!check.Path.empty()) result.Detail = check.Path;
      result.Match = check.Match;
      break;
    default:
      break;
  }
}

// Replaces %NAME% references of 4 to 19 characters by their values. True
// when anything was replaced.
bool ExpandReferences(std::string& data) {
  bool expanded = false;
  for (size_t at = data.find('%'); at != std::string::npos && data.size() <= kMaxExpandedData;
       at = data.find('%', at + 1)) {
    const size_t close = data.find('%', at + 1);
    if (close == std::string::npos) break;
    const size_t distance = close - at;
    if (distance < 4 || distance > 19) continue;
    const std::string reference = data.substr(at, distance + 1);
    std::string value = ExpandEnvironment(reference);
    if (value.size() > kMaxExpansion) value.resize(kMaxExpansion);
    if (value.empty() || value == reference) continue;
    data.replace(at, reference.size(), value);
    expanded = true;
  }
  return expanded;
}

// Moves the data to the drive letter of its first path on a fixed drive.
// False when there is none.
bool FindPathStart(std::string& data, size_t firstDrive, const TScanContext& context) {
  if (ExpandReferences(data)) firstDrive = data.find(":\\");
  if (firstDrive == std::string::npos) return false;
  data.erase(0, firstDrive > 0 ? firstDrive - 1 : 0);
  for (int moves = 0; data.empty() || !context.IsFixedLetter(data[0]); ++moves) {
    if (moves >= kMaxStartMoves) return false;
    const size_t next = data.find(":\\", 2);
    if (next == std::string::npos) return false;
    data.erase(0, next - 1);
  }
  if (std::string collapsed = CollapseDoubleBackslashes(data); !collapsed.empty())
    data = std::move(collapsed);
  return true;
}

// Whether a form cut from the text ends in a blank or a dot that the cut
// left there. The system ignores trailing blanks and dots in a name, so such
// a form names another, shorter path: "C:\\Program Files (x86)\\Gone" cut at
// its parenthesis is "C:\\Program Files ", which finds the 64-bit program
// folder. The text's own trailing blanks and dots are not the cut's doing.
bool EndsInCutBlankOrDot(std::string_view form, std::string_view text) {
  if (form.empty() || form.size() >= text.size()) return false;
  return form.back() == ' ' || form.back() == '.';
}

// Where the prefix scan of CheckCandidate begins (1-based).
size_t PrefixStart(std::string_view text) {
  const size_t length = text.size();
  const size_t parentLength = ParentFolder(text).size();
  const size_t dot = text.find('.');
  const size_t firstDot = dot == std::string_view::npos ? 0 : dot + 1;
  size_t start;
  if (dot == std::string_view::npos) {
    start = parentLength + 2;
  } else {
    start = Trim(PathFolderPart(text)).size() + 2;
    if (firstDot < start) start = firstDot;
    if (parentLength > 0 && parentLength < start) start = parentLength;
    if (start == length) start = firstDot;
  }
  if (start + 1 > length) start = length - 1;
  if (start < 1) start = 1;
  if (text[start - 1] == '\\') {
    ++start;
    if (start + 1 > length) start = length - 1;
  }
  return start;
}

}  // namespace

bool TScanContext::Stopped() const {
  return Stop.stop_requested();
}

bool TScanContext::IsFixedLetter(char letter) const {
  if (!IsAsciiLetter(letter)) return false;
  const char upper = static_cast<char>(letter & ~0x20);
  for (char c : NonFixedDrives)
    if (static_cast<char>(c & ~0x20) == upper && IsAsciiLetter(c)) return false;
  return true;
}

bool IsCheckablePath(std::string_view candidate, std::string_view workingData, const TScanContext& context) {
  if (FindFirstOf(candidate, kCandidateEnd) != std::string_view::npos) return false;
  if (candidate.find("\\\\") != std::string_view::npos) return false;
  if (candidate.find(":\\") != 1) return false;
  if (candidate.find(':', 2) != std::string_view::npos) return false;
  // Only fixed drives are examined: the drive the data's path starts on, and
  // the candidate's own (a later path in the data may name another drive).
  if (workingData.empty() || !context.IsFixedLetter(workingData[0])) return false;
  return context.IsFixedLetter(candidate[0]);
}

namespace {

bool PathExistsMemo(std::string_view candidate, std::string_view workingData, const TScanContext& context,
                    MissingForms& missing) {
  const std::string path = Trim(candidate);
  if (path.empty()) return false;
  // A stopped scan examines nothing more; what it has not examined it never
  // reports.
  auto exists = [&](const std::string& text) {
    if (context.Stopped()) return true;
    if (!IsCheckablePath(text, workingData, context) || missing.count(text) > 0) return false;
    std::optional<bool> found;
    if (context.Memo) found = context.Memo->Find(text);
    if (!found) {
      found = platform::Files().Attributes(text).has_value();
      if (context.Memo) context.Memo->Remember(text, *found);
    }
    if (*found) return true;
    missing.insert(text);
    return false;
  };
  if (exists(path)) return true;
  const size_t exe = FindNoCase(".exe", path, 0);
  if (exe == std::string::npos) return exists(path + ".exe");
  const std::string upToExe = path.substr(0, exe + 4);
  return upToExe != path && exists(upToExe);
}

TCandidateCheck CheckCandidateMemo(std::string_view input, std::string_view workingData,
                                   const TScanContext& context, MissingForms& missing);

}  // namespace

bool PathExists(std::string_view candidate, std::string_view workingData, const TScanContext& context) {
  MissingForms missing;
  return PathExistsMemo(candidate, workingData, context, missing);
}

TCandidateCheck CheckCandidate(std::string_view input, std::string_view workingData,
                               const TScanContext& context) {
  MissingForms missing;
  return CheckCandidateMemo(input, workingData, context, missing);
}

namespace {

TCandidateCheck CheckCandidateMemo(std::string_view input, std::string_view workingData,
                                   const TScanContext& context, MissingForms& missing) {
  TCandidateCheck check;
  check.Status = kCandidateNotAReference;
  check.Path = std::string(input);
  const std::string uncut(input);

  if (Contains(uncut, "Bin\\i"))
    for (std::string_view suiteFile : kSuiteFiles)
      if (Contains(uncut, suiteFile)) return check;

  std::string text = uncut;
  if (const size_t end = FindFirstOf(text, kCandidateEnd); end != std::string::npos) text.resize(end);
  if (const size_t drive = text.find(":\\", 2); drive != std::string::npos) text.resize(drive);
  if (const size_t colon = text.find(':', 2); colon != std::string::npos) text.resize(colon);
  if (const size_t doubled = text.find("\\\\"); doubled != std::string::npos) text.resize(doubled);
  if (text.size() < 3) return check;
  // A path on a drive that is not a fixed disk is not a reference this
  // analysis examines: it is neither found nor missing.
  if (text.compare(1, 2, ":\\") == 0 && !context.IsFixedLetter(text[0])) return check;

  // Each attempt tests one trimmed form; forms already found missing are not
  // looked up again.
  std::string candidate;
  auto accepted = [&](std::string_view form) {
    return !EndsInCutBlankOrDot(form, text) && PathExistsMemo(form, workingData, context, missing);
  };
  auto exists = [&] {
    check.Status = kCandidateExists;
    return check;
  };

  const size_t dot = text.find('.');
  for (int attempt = 1; attempt <= 30; ++attempt) {
    if (attempt == 1 || attempt == 7) {
      candidate = text;
    } else if (attempt == 2) {
      candidate = BestPathIn(text);
    } else if (attempt >= 3 && attempt <= 6) {
      if (dot == std::string::npos) {
        if (accepted(candidate)) return exists();
        ++attempt;  // the next attempt is skipped
        continue;
      }
      candidate = text.substr(0, dot + 1 + static_cast<size_t>(attempt - 1));
    } else if (attempt == 8) {
      const std::string_view ext = PathExtension(text);
      const size_t at = ext.empty() ? std::string::npos : text.find(ext);
      candidate = at == std::string::npos ? std::string() : text.substr(0, at + ext.size() + 1);
    } else if (attempt >= 9 && attempt <= 29) {
      const size_t cut = text.find(kCutCharacters[static_cast<size_t>(attempt - 9)]);
      if (cut == std::string::npos) {
        if (accepted(candidate)) return exists();
        ++attempt;
        continue;
      }
      candidate = text.substr(0, cut);
    }
    // Attempt 30 tests the current candidate as it stands.
    if (accepted(candidate)) return exists();
  }

  for (size_t length = PrefixStart(text); length <= text.size(); ++length)
    if (accepted(std::string_view(text).substr(0, length))) return exists();

  if (PathExistsMemo(text, workingData, context, missing) ||
      (uncut != text && PathExistsMemo(uncut, workingData, context, missing)))
    return exists();

  check.Status = kCandidateMissing;
  check.Path = text;
  if (!IsReportablePath(uncut)) {
    check.Status = kCandidateExcused;
    check.Match = uncut;
  } else if (context.IgnoreList) {
    const int entry = IndexOfContained(*context.IgnoreList, uncut);
    if (entry >= 0) {
      check.Status = kCandidateExcused;
      check.Match = CapitalizeWords((*context.IgnoreList)[static_cast<size_t>(entry)]);
    }
  }
  return check;
}

}  // namespace

void Analyze(std::string_view input, TAnalyzerResult& result, const TScanContext& context) {
  result.Kind = kReferenceNoReport;
  if (input.size() < 3 || input.size() > kMaxData) return;
  const size_t firstDrive = input.find(":\\");
  if (firstDrive == std::string_view::npos && input.find('%') == std::string_view::npos) return;

  std::string data(input);
  if (!FindPathStart(data, firstDrive, context)) return;
  if (data.empty() || context.Stopped() || Contains(data, "HRZR_")) return;

  Tally tally;
  MissingForms missing;
  AddUp(CheckCandidateMemo(data, data, context, missing), tally, result);
  if (!tally.Settled()) {
    for (const auto& candidate : ExtractPathCandidates(data)) {
      if (context.Stopped()) break;
      AddUp(CheckCandidateMemo(candidate, data, context, missing), tally, result);
      if (tally.Settled()) break;
    }
  }
  if (!tally.Settled()) {
    size_t at = data.find(":\\", 2);
    for (int positions = 0; at != std::string::npos && positions < kMaxDrivePositions && !tally.Settled();
         ++positions) {
      if (context.Stopped()) break;
      const std::string_view rest = std::string_view(data).substr(at - 1);
      if (rest.size() > 3) AddUp(CheckCandidateMemo(rest, data, context, missing), tally, result);
      at = data.find(":\\", at + 3);
    }
  }
  // What a stopped scan could not finish examining is never reported.
  if (context.Stopped()) {
    result.Kind = kReferenceNoReport;
    return;
  }
  result.Kind = (tally.found == 0 && tally.missing > 0) ? kReferenceMissing : kReferenceNoReport;
  if (tally.excused > 0) result.Kind = kReferenceExcused;
  if (result.Detail.empty()) result.Detail = std::string(input);
}

}  // namespace vp
