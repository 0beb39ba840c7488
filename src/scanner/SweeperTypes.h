#pragma once

// The records that cross the boundary between the scan engine and its
// caller: the start parameters of one scan thread, the texts it shows, and
// one reported problem.

#include <array>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "core/Clock.h"

namespace vp {

class TExistenceMemo;
class THiveMarkers;

// Scan areas. -1 walks one caller-given key tree, 0 does nothing, 1 to 16 are
// the areas of a scan; a normal scan runs 1 to 15, a deep scan 1 to 16.
inline constexpr int32_t kAreaCustomKey = -1;
inline constexpr int32_t kAreaNothing = 0;
inline constexpr int32_t kAreaMachine = 1;        // HKEY_LOCAL_MACHINE, whole
inline constexpr int32_t kAreaUsers = 2;          // HKEY_USERS, whole
inline constexpr int32_t kAreaClassesRoot = 3;    // HKEY_CLASSES_ROOT, whole
inline constexpr int32_t kAreaCurrentUser = 4;    // HKEY_CURRENT_USER, whole
inline constexpr int32_t kAreaCurrentConfig = 5;  // HKEY_CURRENT_CONFIG, whole
inline constexpr int32_t kAreaLastNormal = 15;
inline constexpr int32_t kAreaLastDeep = 16;  // COM registrations, deep scan only

// Start parameters of one scan thread; the thread copies the record and the
// lists it refers to when it is created.
struct TScanOptions {
  int32_t Mode = kAreaNothing;
  // Report items that match the ignore list, marked as ignored, instead of
  // dropping them.
  bool ReportIgnored = false;
  // Idle thread priority, and the hive walk yields its time slice every
  // 100 ms; otherwise priority above normal.
  bool IdlePriority = true;
  // False runs the whole scan body on the dispatcher's owning thread.
  bool Threaded = true;
  // Drop every item whose path lies in a history list.
  bool SkipHistoryLists = false;
  // Read each key's last write time and show it in the item.
  bool ReadKeyDates = false;
  // 0: display path as is; 1: shortened, roots only; 2: shortened fully.
  int32_t RootNameStyle = 0;
  // Ignore entries, lower case, one per line; may be null.
  const std::vector<std::string>* IgnoreList = nullptr;
  // Bracketed and "::" ignore rules; may be null.
  const std::vector<std::string>* ExtraIgnoreList = nullptr;
  // Format of the key date text ("yyyy-mm-dd hh:nn:ss" style); empty selects
  // the default format.
  std::string DateFormat;
  // Root handle and key path walked by Mode -1.
  uint32_t CustomRoot = 0;
  std::string CustomKey;
  // The existence answers shared by the threads of one scan; may be null.
  // Not copied: the threads use it while they run, so it must outlive them.
  TExistenceMemo* ExistenceMemo = nullptr;
  // The hive marker keys of the scan, shared by its threads; null: the
  // thread keeps its own.
  THiveMarkers* HiveMarkers = nullptr;
};

// The 22 texts the engine shows, numbered as the language supplies them.
struct TCleanerLanguage {
  static constexpr int kCount = 22;
  std::array<std::string, kCount> Texts;

  const std::string& Text(int index) const { return Texts[static_cast<size_t>(index)]; }
};

// The language entry ("Misc.1", "Cleaner.3", ...) each text is filled from;
// empty for the severity texts 2 to 5, which stay empty.
std::string_view CleanerLanguageEntry(int index);

// The texts as a front end fills them: each from its language entry through
// messageText (an entry id to its text).
TCleanerLanguage MakeCleanerLanguage(const std::function<std::string(std::string_view id)>& messageText);

// Indexes into TCleanerLanguage::Texts with a meaning of their own.
inline constexpr int kTextEmpty = 0;          // empty data, unknown date
inline constexpr int kTextWholeKey = 1;       // value name and data of a whole-key item
inline constexpr int kTextSeverity0 = 2;      // 2..5: severity 0..3
inline constexpr int kTextIgnoredFormat = 6;  // "{1}" = problem text of an ignored item

inline constexpr int32_t kNoText = -1;

// One reported problem, as data: nothing in it depends on the language the
// scan ran in. The texts shown for it (entry, data, problem, severity) come
// from the language in use where it is shown (FindingTexts.h).
struct TNewItem {
  std::string DisplayPath;  // root name + "\" + key path, shortened per RootNameStyle
  std::string FullPath;     // root name + "\" + key path
  std::string RootName;
  std::string KeyPath;
  // The finding is the key itself, not one of its values; ValueName and
  // ValueData are then empty. Fix acts on this flag.
  bool WholeKey = false;
  std::string ValueName;  // "@" for the default value
  std::string ValueData;  // empty when the value has no data
  std::string KeyDate;    // the key's last write time as text; empty when not known
  bool Ignored = false;
  // The problem code the check passed (101 to 112), the severity 0 to 3 and
  // the check's detail (the missing file of code 102).
  int32_t ProblemCode = 0;
  int32_t SeverityLevel = 0;
  std::string Detail;
  // The language text a check named as the finding's own problem text (code
  // 106); kNoText when it named none.
  int32_t DetailText = kNoText;
};

// Problem codes passed to the reporting routine by the checks.
enum ProblemCode : int32_t {
  kProblemUninstall = 101,
  kProblemFileReference = 102,
  kProblemAppPath = 103,
  kProblemFileType = 104,
  kProblemFont = 105,
  kProblemComRegistration = 106,
  kProblemHelpFile = 107,
  kProblemStartMenuOrder = 108,
  kProblemApplication = 109,
  kProblemSharedTool = 110,
  kProblemSoftwareKey = 111,
  kProblemHistoryList = 112,
};

}  // namespace vp
