#include <gtest/gtest.h>

#include "cli/FindingFormat.h"
#include "cli/MachineMode.h"
#include "scanner/FindingTexts.h"

namespace vp::cli {
namespace {

constexpr const char* kWholeKey = "[Whole key]";

TCleanerLanguage Language(std::string wholeKey, std::string uninstall) {
  TCleanerLanguage language;
  language.Texts[kTextEmpty] = "(empty)";
  language.Texts[kTextWholeKey] = std::move(wholeKey);
  language.Texts[kTextIgnoredFormat] = "Ignored: {1}";
  language.Texts[7] = "Missing {1}";
  language.Texts[17] = std::move(uninstall);
  return language;
}

const TCleanerLanguage kEnglish = Language(kWholeKey, "Obsolete entry");
const TCleanerLanguage kGerman = Language("[Ganzer Schl\xFCssel]", "Veralteter Eintrag");

TNewItem Finding(std::string key, std::string entry) {
  TNewItem item;
  item.FullPath = std::move(key);
  item.WholeKey = entry == kWholeKey;
  if (!item.WholeKey) item.ValueName = std::move(entry);
  item.ProblemCode = kProblemUninstall;
  return item;
}

TEST(SelectFindingsTest, LinesChooseFindingsByKeyAndEntry) {
  const std::vector<TNewItem> findings = {
      Finding("HKEY_CURRENT_USER\\Software\\App", "File1"),
      Finding("HKEY_CURRENT_USER\\Software\\App", "File10"),
      Finding("HKEY_CURRENT_USER\\Software\\App", "@"),
      Finding("HKEY_CURRENT_USER\\Software\\App\\Sub", "[Whole key]"),
  };
  struct Case {
    const char* name;
    std::string text;
    std::vector<std::string> chosenEntries;
    std::vector<std::string> unmatched;
  };
  const Case cases[] = {
      {"plain line", "HKEY_CURRENT_USER\\Software\\App | File1\n", {"File1"}, {}},
      {"entry is not a prefix match",
       "HKEY_CURRENT_USER\\Software\\App | File\n",
       {},
       {"HKEY_CURRENT_USER\\Software\\App | File"}},
      {"table row with its problem",
       "HKEY_CURRENT_USER\\Software\\App | File10 | Obsolete entry\r\n",
       {"File10"},
       {}},
      {"key case ignored", "hkey_current_user\\software\\app | @", {"@"}, {}},
      {"entry case kept",
       "HKEY_CURRENT_USER\\Software\\App | file1",
       {},
       {"HKEY_CURRENT_USER\\Software\\App | file1"}},
      {"header, comments and blanks skipped", "Key | Entry | Problem\n# note\n\n   \n", {}, {}},
      {"each finding once, in scan order",
       "HKEY_CURRENT_USER\\Software\\App\\Sub | [Whole key]\nHKEY_CURRENT_USER\\Software\\App | File1\n"
       "HKEY_CURRENT_USER\\Software\\App | File1\n",
       {"File1", "[Whole key]"},
       {}},
      {"stale line reported",
       "HKEY_CURRENT_USER\\Software\\Gone | x\n",
       {},
       {"HKEY_CURRENT_USER\\Software\\Gone | x"}},
  };
  for (const Case& c : cases) {
    const Selection selection = SelectFindings(c.text, findings, kEnglish);
    std::vector<std::string> entries;
    for (const auto& item : selection.chosen) entries.push_back(EntryText(item, kEnglish));
    EXPECT_EQ(entries, c.chosenEntries) << c.name;
    EXPECT_EQ(selection.unmatched, c.unmatched) << c.name;
  }
}

TEST(FindingFormatTest, JsonLineEscapesAndCarriesEveryField) {
  TNewItem item = Finding("HKEY_CURRENT_USER\\Software\\Caf\xE9", "Say \"hi\"");
  item.ValueData = "\x80 5\ttab";
  item.ProblemCode = 102;
  item.SeverityLevel = 3;
  item.Detail = "C:\\gone.exe";
  item.RootName = "HKEY_CURRENT_USER";
  item.KeyPath = "Software\\Caf\xE9";
  EXPECT_EQ(
      JsonLine(item, kEnglish),
      "{\"key\":\"HKEY_CURRENT_USER\\\\Software\\\\Caf\\u00e9\",\"root\":\"HKEY_CURRENT_USER\","
      "\"key_path\":\"Software\\\\Caf\\u00e9\",\"whole_key\":false,\"value\":\"Say \\\"hi\\\"\","
      "\"data\":\"\\u20ac 5\\u0009tab\",\"code\":102,\"problem\":\"Missing C:\\\\gone.exe\",\"severity\":3,"
      "\"detail\":\"C:\\\\gone.exe\",\"ignored\":false}");
  EXPECT_EQ(TableRow(item, kEnglish),
            "HKEY_CURRENT_USER\\Software\\Caf\xE9 | Say \"hi\" | Missing C:\\gone.exe");
}

// A finding holds no text of the scan's language: shown in another one, only
// the texts change, and the fields scripts act on stay as they were.
TEST(FindingFormatTest, TextsComeFromTheLanguageInUse) {
  TNewItem item = Finding("HKEY_CURRENT_USER\\Software\\Gone", kWholeKey);
  item.RootName = "HKEY_CURRENT_USER";
  item.KeyPath = "Software\\Gone";
  item.Ignored = true;
  TCleanerLanguage german = kGerman;
  german.Texts[kTextIgnoredFormat] = "Ignoriert: {1}";
  const std::string prefix =
      "{\"key\":\"HKEY_CURRENT_USER\\\\Software\\\\Gone\",\"root\":\"HKEY_CURRENT_USER\","
      "\"key_path\":\"Software\\\\Gone\",\"whole_key\":true,";
  EXPECT_EQ(JsonLine(item, german),
            prefix +
                "\"value\":\"[Ganzer Schl\\u00fcssel]\",\"data\":\"[Ganzer Schl\\u00fcssel]\","
                "\"code\":101,\"problem\":\"Ignoriert: Veralteter Eintrag\",\"severity\":0,"
                "\"detail\":\"\",\"ignored\":true}");
  EXPECT_EQ(TableRow(item, kEnglish),
            "HKEY_CURRENT_USER\\Software\\Gone | [Whole key] | Ignored: Obsolete entry");
  // A selection written in one language chooses the same finding in it only.
  EXPECT_EQ(SelectFindings("HKEY_CURRENT_USER\\Software\\Gone | [Whole key]", {item}, kEnglish).chosen.size(),
            1u);
  EXPECT_EQ(SelectFindings("HKEY_CURRENT_USER\\Software\\Gone | [Whole key]", {item}, german).chosen.size(),
            0u);
}

TEST(DriveMappingTest, ParsesLetterFolderAndType) {
  struct Case {
    const char* text;
    bool ok;
    char letter;
    std::string folder;
    platform::DriveType type;
  };
  const Case cases[] = {
      {"C=/tmp/c", true, 'C', "/tmp/c", platform::DriveType::Fixed},
      {"d=/tmp/d:cdrom", true, 'D', "/tmp/d", platform::DriveType::CdRom},
      {"F=x:removable", true, 'F', "x", platform::DriveType::Removable},
      {"C=/tmp/c:floppy", false, 0, "", platform::DriveType::Fixed},
      {"C:/tmp", false, 0, "", platform::DriveType::Fixed},
      {"C=:fixed", false, 0, "", platform::DriveType::Fixed},
  };
  for (const Case& c : cases) {
    std::string error;
    const std::optional<DriveMapping> mapping = ParseDriveMapping(c.text, error);
    ASSERT_EQ(mapping.has_value(), c.ok) << c.text;
    if (!c.ok) {
      EXPECT_FALSE(error.empty()) << c.text;
      continue;
    }
    EXPECT_EQ(mapping->letter, c.letter) << c.text;
    EXPECT_EQ(mapping->hostFolder, c.folder) << c.text;
    EXPECT_EQ(mapping->type, c.type) << c.text;
  }
}

}  // namespace
}  // namespace vp::cli
