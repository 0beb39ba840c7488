#pragma once

// File references in registry data: finding drive-letter paths in a free-form
// registry string, trimming them of arguments and decorations, and deciding
// whether the file they name is missing.
//
// Only plain paths on fixed drives ("C:\...") are ever tested for existence.
// Paths on removable, optical, network or absent drives, UNC paths and
// relative names are never reported as missing.

#include <cstdint>
#include <stop_token>
#include <string>
#include <string_view>

#include "files/PathText.h"
#include "files/StringTools.h"

namespace vp {

class TExistenceMemo;

// Kind of a TAnalyzerResult.
inline constexpr int32_t kReferenceMissing = 0;   // a referenced file is missing
inline constexpr int32_t kReferenceExcused = 1;   // missing, but the ignore or safe list excuses it
inline constexpr int32_t kReferenceNoReport = 2;  // valid, or no checkable reference

// Status of one candidate.
inline constexpr uint8_t kCandidateExists = 0;
inline constexpr uint8_t kCandidateNotAReference = 1;
inline constexpr uint8_t kCandidateMissing = 2;
inline constexpr uint8_t kCandidateExcused = 3;

// The verdict of the analysis of one data string.
struct TAnalyzerResult {
  int32_t Kind = kReferenceNoReport;
  uint8_t Status = kCandidateNotAReference;
  std::string Detail;  // the file to report
  std::string Match;   // for an excused file: the ignore entry or the excusing text
};

// What the analysis reads of the running scan. The scan owns the flags and
// the list for its whole run; the context only points at them.
struct TScanContext {
  std::stop_token Stop;                    // the scan's stop request; none by default
  std::string NonFixedDrives;              // letters of drives that are not fixed disks, any case
  const StringList* IgnoreList = nullptr;  // lower-case entries; may be null
  // The existence answers of the whole scan, shared by its threads; may be
  // null (every form is then looked up on disk).
  TExistenceMemo* Memo = nullptr;

  bool Stopped() const;
  // Whether the letter names a drive the analysis may examine: an ASCII
  // letter that is not in NonFixedDrives.
  bool IsFixedLetter(char letter) const;
};

// ---------------------------------------------------------------- analysis (scan thread)

// Decides whether the data names a missing file on a fixed drive. Sets Kind
// and, when a file was involved, Detail and Match. Never throws. Data shorter
// than 3 or longer than 1000 characters, or without "%" and ":\", is not
// examined and causes no file system access; nor does anything once the scan
// is stopped.
void Analyze(std::string_view data, TAnalyzerResult& result, const TScanContext& context);

// One candidate's verdict: Status, and the path and match text to report.
struct TCandidateCheck {
  uint8_t Status = kCandidateNotAReference;
  std::string Path;
  std::string Match;
};

// Tests one candidate text in up to 30 trimmed forms and then its prefixes.
// workingData is the analysis' working data (its first letter gates every
// existence test).
TCandidateCheck CheckCandidate(std::string_view text, std::string_view workingData,
                               const TScanContext& context);

// Whether a candidate (trimmed) names an existing file or folder, directly or
// completed with ".exe" or cut after its first ".exe".
bool PathExists(std::string_view candidate, std::string_view workingData, const TScanContext& context);

// The gate in front of every existence test: no candidate-ending character,
// no doubled backslash, ":\" at position 2 and no further ":", and both the
// working data and the candidate start with the letter of a fixed drive.
bool IsCheckablePath(std::string_view candidate, std::string_view workingData, const TScanContext& context);

}  // namespace vp
