#include <gtest/gtest.h>

#include "cli/FindingFormat.h"
#include "cli/MachineMode.h"

namespace vp::cli {
namespace {

TNewItem Finding(std::string key, std::string entry) {
  TNewItem item;
  item.FullPath = std::move(key);
  item.ValueName = std::move(entry);
  item.Problem = "Obsolete entry";
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
    const Selection selection = SelectFindings(c.text, findings);
    std::vector<std::string> entries;
    for (const auto& item : selection.chosen) entries.push_back(item.ValueName);
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
  item.WholeKey = true;
  EXPECT_EQ(JsonLine(item),
            "{\"key\":\"HKEY_CURRENT_USER\\\\Software\\\\Caf\\u00e9\",\"root\":\"HKEY_CURRENT_USER\","
            "\"key_path\":\"Software\\\\Caf\\u00e9\",\"whole_key\":true,\"value\":\"Say \\\"hi\\\"\","
            "\"data\":\"\\u20ac 5\\u0009tab\",\"code\":102,\"problem\":\"Obsolete entry\",\"severity\":3,"
            "\"detail\":\"C:\\\\gone.exe\",\"ignored\":false}");
  EXPECT_EQ(TableRow(item), "HKEY_CURRENT_USER\\Software\\Caf\xE9 | Say \"hi\" | Obsolete entry");
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
