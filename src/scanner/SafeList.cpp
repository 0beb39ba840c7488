#include "scanner/SafeList.h"

#include <array>
#include <string>

#include "files/StringTools.h"

namespace vp {
namespace {

enum class Subject : unsigned char { None, FullKey, FullText, KeyPath, ValueName, ValueData, ImportantKey };

// Equals and Contains ignore case (fixed table); Exactly and ContainsExact
// compare bytes.
enum class Match : unsigned char { Equals, Contains, ContainsExact, Exactly };

struct Condition {
  Subject subject = Subject::None;
  Match match = Match::Equals;
  std::string_view literal;
};

struct Rule {
  Condition first;
  Condition second;  // must hold as well, when present
};

constexpr Rule FK(Match m, std::string_view s) {
  return {{Subject::FullKey, m, s}, {}};
}
constexpr Rule FT(std::string_view s) {
  return {{Subject::FullText, Match::Contains, s}, {}};
}
constexpr Rule KP(Match m, std::string_view s) {
  return {{Subject::KeyPath, m, s}, {}};
}
constexpr Rule VN(Match m, std::string_view s) {
  return {{Subject::ValueName, m, s}, {}};
}

constexpr Match kEq = Match::Equals;
constexpr Match kIn = Match::Contains;

// In order; the first rule that holds decides. Several literals stand as
// they were found in the field, irregular GUIDs and duplicates included.
constexpr std::array<Rule, 118> kRules = {{
    /* 1 */ FK(kEq, "HKEY_LOCAL_MACHINE\\Software\\Microsoft\\Windows\\CurrentVersion\\App Path\\ccApp.exe"),
    /* 2 */
    FK(kEq, "HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\AppPaths\\IntelliMover.exe"),
    /* 3 */
    FK(kEq, "HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\AppPaths\\YourApp.Exe"),
    /* 4 */
    FK(kEq, "HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\App Paths\\IntelliMover.exe"),
    /* 5 */
    FK(kEq, "HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\App Paths\\YourApp.Exe"),
    /* 6 */
    FK(kEq, "HKEY_LOCAL_MACHINE\\SYSTEM\\CurrentControlSet\\Control\\BackupRestore\\FilesNotToBackup"),
    /* 7 */ FK(kEq, "HKEY_LOCAL_MACHINE\\Software\\Microsoft\\Windows\\CurrentVersion\\Setup\\VarLDID"),
    /* 8 */ FK(kEq, "HKEY_LOCAL_MACHINE\\Software\\Microsoft\\Windows\\CurrentVersion\\Setup"),
    /* 9 */ FK(kEq, "HKEY_LOCAL_MACHINE\\Software\\Symantec\\Norton Ghost\\GhostShortcuts"),
    /* 10 */ FK(kEq, "HKEY_LOCAL_MACHINE\\Software\\Symantec\\Norton Ghost"),
    /* 11 */ FK(kEq, "HKEY_CLASSES_ROOT\\Applications\\radrun.exe"),
    /* 12 */ FK(kEq, "HKEY_LOCAL_MACHINE\\Software\\classes\\Applications\\radrun.exe"),
    /* 13 */ FK(kEq, "HKEY_LOCAL_MACHINE\\SYSTEM\\CurrentControlSet\\Control\\CrashControl"),
    /* 14 */ FK(kEq, "HKEY_LOCAL_MACHINE\\Software\\Clients\\JavaVM\\MSJavaVM\\InstallInfo"),
    /* 15 */ FK(kIn, "HKEY_LOCAL_MACHINE\\.dbd"),
    /* 16 */ FK(kIn, "HKEY_LOCAL_MACHINE\\.dbx"),
    /* 17 */ FT("{80ee4902-33a8-11d1-a213-0080c88593a5}"),
    /* 18 */ VN(kEq, "UserDbPath"),
    /* 19 */ FT(".p65\\ShellNew"),
    /* 20 */ FT(".pm6\\ShellNew"),
    /* 21 */ FT("PageMaker.pm6"),
    /* 22 */ FT("PageMaker.p65"),
    /* 23 */ FT("NewTech Infosystems\\NTI CD-Maker"),
    /* 24 */ FT("KernelFaultCheck"),
    /* 25 */ FT("{36979988-16E1-4FE7-B7D8-F51B09151AEE}"),
    /* 26 */ FT("{DAD90BC7-5321-4048-939A-694B0A274C02}"),
    /* 27 */ FT("EEFONTS.DLL"),
    /* 28 */ FT("WordEEFonts"),
    /* 29 */ FT("HKEY_LOCAL_MACHINE\\Software\\Microsoft\\Windows\\CurrentVersion\\Setup"),
    /* 30 */ FT("\\Software\\Microsoft\\Internet Explorer\\Styles"),
    /* 31 */ FT("DAEMON Tools"),
    /* 32 */ FT("\\Components\\90FD7B2728F476E46A8E44A51467E863"),
    /* 33 */ FT("\\Components\\42EA72A78B5FCBA43BADBA75CB3790BF"),
    /* 34 */ FT("\\Products\\42EA72A78B5FCBA43BADBA75CB3790BF"),
    /* 35 */ FT("{22DF8E49-FF69-40D3-AEFF-165FA6BB6A07}"),
    /* 36 */ FT("\\Intel\\Network_Services\\"),
    /* 37 */ FT("Symantec Shared"),
    /* 38 */ FT("BackupRestore\\FilesNotToBackup"),
    /* 39 */ FT("{C8DA3399-8196-4CB3-ADD9-30280DCC1A2F}"),
    /* 40 */ FT("{F2B8E361-D2E2-11D1-A41F-00609729B902}"),
    /* 41 */ FT("{88734684-FCB2-11D2-B9D2-00C04FAC114C}"),
    /* 42 */ FT("{88734683-FCB2-11D2-B9D2-00C04FAC114C}"),
    /* 43 */ FT("{60C70E11-2B08-4798-B366-C8450CDA7B1A}"),
    /* 44 */ FT("{22DF8E49-FF69-40D3-AEFF-165FA6BB6A07}"),
    /* 45 */ FT("GCCollection"),
    /* 46 */ FT("{F3007E4D-A34C-4223-8091-744FC60FCDB5}"),
    /* 47 */ KP(kIn, "VB and VBA Program Settings"),
    /* 48 */ KP(kIn, ":\\"),
    /* 49 */ FT("{7426BFC-4C96-11D0-ABEF-0020AF6B0B7A}"),
    /* 50 */ FT("{74246bfc-4c96-11d0-abef-0020af6b0b7a}"),
    /* 51 */ FT("{74246BFC-11DO-ABEF-0020AF6BOB7A}"),
    /* 52 */ FT("{94ABAF2A-892A-11D1-BBC4-00A0C90640BF}"),
    /* 53 */ FT("{7478EF63-8C46-11d1-8D99-00A0C913CAD4}"),
    /* 54 */ {{Subject::ValueName, Match::Exactly, "@"}, {Subject::ValueData, kEq, "Device Manager"}},
    /* 55 */ {{Subject::ValueName, Match::Exactly, "@"}, {Subject::ValueData, kIn, "DevMgrSnapin"}},
    /* 56 */ KP(kEq, "clsid\\{7478EF65-8C46-11D1-8D99-00A0C913CAD4}"),
    /* 57 */ KP(kEq, "clsid\\{7478EF65-8C46-11D1-8D99-00A0C913CAD4}\\"),
    /* 58 */ FT("Software\\Symantec\\Speed Disk\\Local Settings\\Drive Results\\"),
    /* 59 */ FT("Software\\Data Fellows\\F-Secure\\Localization"),
    /* 60 */ FT("HKEY_LOCAL_MACHINE\\Software\\ThinkingMan Software\\"),
    /* 61 */ FT("microsoft\\speech\\recognizers"),
    /* 62 */ VN(kIn, "Log file"),
    /* 63 */ VN(kIn, "Logfile"),
    /* 64 */ VN(kIn, " log "),
    /* 65 */ {{Subject::ValueData, kIn, ".log"}, {}},
    /* 66 */ FT("{6BC096C4-0CE6-11D1-BAAE-00C04FC2E20D}"),
    /* 67 */ FT("{7478EF65-8C46-11D1-8D99-00A0913CAD4}"),
    /* 68 */ FT("{90087284-D6D6-11D0-8353-00A0C90640BF}"),
    /* 69 */ FT("{74246BFC-4C96-11D0-ABEF-0020AF6B0B74}"),
    /* 70 */ FT("{D8DA92F4-5F3A-11D1-8355-080009ACD8A8}"),
    /* 71 */ FT("{D8DA92E0-5F3A-11D1-8355-080009ACD8A8}"),
    /* 72 */ FT("\\services\\eventlog\\"),
    /* 73 */ FT("MailSafe"),
    /* 74 */ FT("Mozilla"),
    /* 75 */ FT("Program Folder Path"),
    /* 76 */ FT("Microsoft\\Speech\\Recognizers"),
    /* 77 */ FT("\\services\\npdriver\\imagepath"),
    /* 78 */ FT("\\jtpfile"),
    /* 79 */ FT("Software\\Microsoft\\WindowsNT\\CurrentVersion\\fonts"),
    /* 80 */ FT("Software\\Jasc\\Paint Shop Pro 8\\FileLocations\\"),
    /* 81 */ FT("HKEY_LOCAL_MACHINE\\Software\\Microsoft\\Office"),
    /* 82 */ FT("Software\\Microsoft\\Tracing"),
    /* 83 */ FT("Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\VolumeCaches"),
    /* 84 */ FT("Services\\WinTrust"),
    /* 85 */ FT("HRZR_"),
    /* 86 */ FT("Software\\Hewlett-Packard\\DigitalImaging"),
    /* 87 */ FT("\\Quarantine\\"),
    /* 88 */ FT("WINDOWS\\System32\\blank.htm"),
    /* 89 */ FT("Hewlett-Packard\\DigitalImaging"),
    /* 90 */ FT("Software\\Microsoft\\IMAPI\\StashInfo"),
    /* 91 */ FT("MsoHelp"),
    /* 92 */ FT("MailSafe"),
    /* 93 */ FT("\\Control\\CrashControl"),
    /* 94 */ FT("\\BackupRestore\\FilesNotToBackup"),
    /* 95 */ FT("\\Services\\Eventlog"),
    /* 96 */ VN(kEq, "DefaultLogFileFolder"),
    /* 97 */ VN(kEq, "Log.Filename"),
    /* 98 */ VN(kEq, "LogFilename"),
    /* 99 */ VN(kEq, "LogFile"),
    /* 100 */ FT("Beyond TV"),
    /* 101 */ FT("BEYONDTV"),
    /* 102 */ {{Subject::FullText, kIn, "Software\\EPSON\\"}, {Subject::ValueName, kEq, "TempFile"}},
    /* 103 */ {{Subject::FullText, Match::ContainsExact, "applications\\radrun.exe"}, {}},
    /* 104 */ {{Subject::FullText, Match::ContainsExact, "HPdigitalimaging.exe"}, {}},
    /* 105 */ FT("Software\\Microsoft\\FrontPage\\Editor\\Init Commands"),
    /* 106 */ FT("HKEY_LOCAL_MACHINE\\SYSTEM\\ControlSet001\\Control\\CrashControl"),
    /* 107 */ FT("HKEY_LOCAL_MACHINE\\SYSTEM\\ControlSet001\\Control\\BackupRestore\\FilesNotToBackup"),
    /* 108 */ FT("\\Control\\Session Manager\\Memory Management"),
    /* 109 */ FT(" HKEY_CLASSES_ROOT\\Interface\\{D8DA92F4-5F3A-11D1-8355-080009ACD8A8}"),
    /* 110 */
    {{Subject::FullText, kEq, "HKEY_CLASSES_ROOT\\CLSID\\{80EE4901-33A8-11d1-A213-0080C88593A5}"}, {}},
    /* 111 */
    {{Subject::FullText, kEq,
      "HKEY_CLASSES_ROOT\\CLSID\\{80EE4901-33A8-11d1-A213-0080C88593A5}\\LocalServer32"},
     {}},
    /* 112 */ KP(kIn, "software\\microsoft\\windows\\currentversion\\explorer\\shell folders"),
    /* 113 */ KP(kIn, "software\\microsoft\\devStudio\\6.0\\recent file list"),
    /* 114 */ FT("Genie-Soft\\OEBackup"),
    /* 115 */ FT("AntiVirus"),
    /* 116 */ FT("Anti-Virus"),
    /* 117 */ {{Subject::ImportantKey, kEq, {}}, {}},
    /* 118 */ FT("pk73pt_unit_test_data_ignored_filename"),
}};

constexpr std::string_view kProgramClassKeys[] = {
    "HKEY_Classes_Root\\exefile", "HKEY_Classes_Root\\scrfile", "HKEY_Classes_Root\\comfile",
    "HKEY_Classes_Root\\batfile", "HKEY_Classes_Root\\piffile", "HKEY_Classes_Root\\htafile",
    "HKEY_Classes_Root\\htcfile", "HKEY_Classes_Root\\regfile",
};

constexpr std::string_view kImportantKeys[] = {
    "HKEY_CURRENT_USER\\software",
    "HKEY_CURRENT_USER\\software\\Microsoft",
    "HKEY_CURRENT_USER\\software\\Microsoft\\Windows",
    "HKEY_CURRENT_USER\\software\\Microsoft\\Windows\\CurrentVersion",
    "HKEY_CURRENT_USER\\software\\Microsoft\\WindowsNT",
    "HKEY_CURRENT_USER\\AppEvents",
    "HKEY_CURRENT_USER\\Console",
    "HKEY_CURRENT_USER\\Control Panel",
    "HKEY_CURRENT_USER\\Identities",
    "HKEY_CURRENT_USER\\Printers",
    "HKEY_LOCAL_MACHINE\\software",
    "HKEY_LOCAL_MACHINE\\software\\Microsoft",
    "HKEY_LOCAL_MACHINE\\software\\Microsoft\\Windows",
    "HKEY_LOCAL_MACHINE\\software\\Microsoft\\Windows\\CurrentVersion",
    "HKEY_LOCAL_MACHINE\\software\\Microsoft\\WindowsNT",
    "HKEY_LOCAL_MACHINE\\Software\\VAVadevev",
    "HKEY_LOCAL_MACHINE\\Hardware",
    "HKEY_LOCAL_MACHINE\\Sam",
    "HKEY_LOCAL_MACHINE\\System",
    "HKEY_CLASSES_ROOT\\.exe",
    "HKEY_CLASSES_ROOT\\Applications",
    "HKEY_CLASSES_ROOT\\clsid",
    "HKEY_CLASSES_ROOT\\progid",
    "HKEY_CLASSES_ROOT\\appid",
    "HKEY_CLASSES_ROOT\\TypeLib",
    "HKEY_CLASSES_ROOT\\Interface",
    "HKEY_CLASSES_ROOT\\*",
    "HKEY_CLASSES_ROOT\\Component Categories",
    "HKEY_CLASSES_ROOT\\exefile",
    "HKEY_CLASSES_ROOT\\jtpfile",
    "HKEY_CLASSES_ROOT\\comfile",
    "HKEY_CLASSES_ROOT\\cmdfile",
    "HKEY_CLASSES_ROOT\\Folder",
    "HKEY_CLASSES_ROOT\\htafile",
    "HKEY_CLASSES_ROOT\\htcfile",
    "HKEY_CLASSES_ROOT\\regfile",
    "HKEY_CLASSES_ROOT\\.jtp",
    "HKEY_CLASSES_ROOT\\jtp",
    "HKEY_CLASSES_ROOT\\jtpfile",
    "HKEY_CLASSES_ROOT\\curfile",
    "HKEY_CLASSES_ROOT\\Applications\\.exe",
    "HKEY_CLASSES_ROOT\\Applications\\.dll",
    "HKEY_CLASSES_ROOT\\Applications\\.com",
    "HKEY_CLASSES_ROOT\\Applications\\.hta",
    "HKEY_CLASSES_ROOT\\Applications\\.htc",
    "HKEY_CLASSES_ROOT\\Applications\\unins000.exe",
};
static_assert(std::size(kImportantKeys) == 46);

std::string_view WithoutTrailingBackslash(std::string_view text) {
  return (!text.empty() && text.back() == '\\') ? text.substr(0, text.size() - 1) : text;
}

bool ContainsNoCase(std::string_view text, std::string_view needle) {
  return PosEx(needle, text, 1, kIgnoreCase) > 0;
}

struct Subjects {
  std::string_view keyPath;
  std::string fullKey;
  std::string fullText;
  std::string_view valueName;
  std::string_view valueData;

  std::string_view Of(Subject subject) const {
    switch (subject) {
      case Subject::FullKey:
        return fullKey;
      case Subject::FullText:
      case Subject::ImportantKey:
        return fullText;
      case Subject::KeyPath:
        return keyPath;
      case Subject::ValueName:
        return valueName;
      case Subject::ValueData:
        return valueData;
      case Subject::None:
        break;
    }
    return {};
  }
};

bool Holds(const Condition& condition, const Subjects& subjects) {
  if (condition.subject == Subject::None) return true;
  const std::string_view text = subjects.Of(condition.subject);
  if (condition.subject == Subject::ImportantKey) return IsImportantKey(text);
  switch (condition.match) {
    case Match::Equals:
      return SameText(text, condition.literal);
    case Match::Contains:
      return ContainsNoCase(text, condition.literal);
    case Match::ContainsExact:
      return text.find(condition.literal) != std::string_view::npos;
    case Match::Exactly:
      return text == condition.literal;
  }
  return false;
}

}  // namespace

bool IsImportantKey(std::string_view text) {
  const std::string_view key = WithoutTrailingBackslash(text);
  if (key.size() < 3) return true;
  for (std::string_view classKey : kProgramClassKeys)
    if (ContainsNoCase(key, classKey)) return true;
  for (std::string_view important : kImportantKeys)
    if (SameText(key, important)) return true;
  return false;
}

int FirstSafeListRule(std::string_view rootName, std::string_view keyPath, std::string_view valueName,
                      std::string_view valueData) {
  Subjects subjects;
  const std::string_view root = WithoutTrailingBackslash(rootName);
  subjects.keyPath = WithoutTrailingBackslash(keyPath);
  subjects.fullKey.reserve(root.size() + subjects.keyPath.size() + 1);
  subjects.fullKey.append(root).append(1, '\\').append(subjects.keyPath);
  subjects.fullText.reserve(subjects.fullKey.size() + valueName.size() + valueData.size() + 4);
  subjects.fullText.append(subjects.fullKey)
      .append(1, '\\')
      .append(valueName)
      .append(" : ")
      .append(valueData);
  subjects.valueName = valueName;
  subjects.valueData = valueData;

  for (size_t i = 0; i < kRules.size(); ++i)
    if (Holds(kRules[i].first, subjects) && Holds(kRules[i].second, subjects)) return static_cast<int>(i + 1);
  return 0;
}

bool IsReportable(std::string_view rootName, std::string_view keyPath, std::string_view valueName,
                  std::string_view valueData) {
  return FirstSafeListRule(rootName, keyPath, valueName, valueData) == 0;
}

bool IsReportablePath(std::string_view path) {
  return IsReportable(path, {}, {}, {});
}

}  // namespace vp
