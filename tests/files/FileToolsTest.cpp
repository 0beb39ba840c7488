#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <set>
#include <thread>

#include "files/FileTools.h"
#include "files/Masks.h"
#include "files/SimDrivesTest.h"
#include "platform/Platform.h"
#include "platform/System.h"
#include "platform/sim/SimMachine.h"
#include "settings/IniTools.h"
#include "support/ScratchFolder.h"
#include "support/TestSupport.h"

namespace vp {
namespace {

using platform::DriveType;
using platform::Files;
using test::ScratchFolder;

std::set<std::string> AsSet(const StringList& list) {
  return {list.begin(), list.end()};
}

TEST(FileTools, PathSyntax) {
  struct Case {
    const char* text;
    bool loose;
    bool strict;
  };
  const Case cases[] = {
      {"C:\\Windows\\notepad.exe", true, true},
      {"c:\\", true, true},
      {"z:\\a b\\c.txt", true, true},
      {"C:\\a\\", true, true},
      {"", false, false},
      {"C:", false, false},
      {"C:\\a\\\\b", false, false},  // doubled backslash
      {"\\\\server\\share\\x.exe", false, false},
      {"C:relative\\x", false, false},
      {"1:\\x", false, false},
      {"CC:\\x", false, false},
      {"\xC4:\\x", false, false},  // a letter, but not a to z
      {"C:\\a:b", false, false},   // a second colon
      {" C:\\a", false, false},    // ":\" not at position 2
      {"C:\\a\tb", true, false},   // control characters: strict only
      {"C:\\a ", true, false},     // trailing blank: strict only
      {"C:\\a\x01", true, false},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(IsValidPathSyntax(c.text, false), c.loose) << c.text;
    EXPECT_EQ(IsValidPathSyntax(c.text, true), c.strict) << c.text;
  }
  // Characters no path may hold.
  for (const char bad : std::string("*?<>|\"\r\n\0", 9)) {
    const std::string path = std::string("C:\\a") + bad + "b";
    EXPECT_FALSE(IsValidPathSyntax(path, false)) << int(bad);
    EXPECT_FALSE(IsValidPathSyntax(path, true)) << int(bad);
  }
}

TEST(FileTools, EveryPathTestRefusesAnythingButAPlainDrivePath) {
  ScratchFolder scratch;
  scratch.PutFile("x.txt", "x");
  const std::string file = scratch.Path("x.txt");
  // The same file, reached in ways the path tests must refuse.
  const std::string refused[] = {
      "",
      "\\\\?\\" + file,
      "\\\\.\\" + file,
      file.substr(2),                             // "\users\...": no drive
      file.substr(0, 2) + file.substr(3),         // "C:users\..."
      file.substr(0, 3) + "\\" + file.substr(3),  // doubled backslash
      "\"" + file + "\"",
      scratch.Path("x.t?t"),
      scratch.Path("*.txt"),
  };
  for (const auto& path : refused) {
    EXPECT_FALSE(IsUsableDrivePath(path)) << path;
    EXPECT_FALSE(IsUsableDrivePath(path, true)) << path;
    EXPECT_FALSE(FileExistsChecked(path)) << path;
    EXPECT_FALSE(FolderExistsChecked(path)) << path;
    EXPECT_FALSE(HasAttribute(path, 0xFFFFFFFF)) << path;
    EXPECT_FALSE(DeleteFileChecked(path)) << path;
    EXPECT_FALSE(ForceDeleteFile(path)) << path;
    EXPECT_FALSE(CopyFileChecked(file, path)) << path;
    EXPECT_FALSE(CreateEmptyFile(path)) << path;
  }
  EXPECT_TRUE(FileExistsChecked(file));
  EXPECT_FALSE(FolderExistsChecked(file));
  EXPECT_TRUE(FolderExistsChecked(scratch.Root()));
  EXPECT_FALSE(FileExistsChecked(scratch.Root()));
  EXPECT_TRUE(HasAttribute(scratch.Root(), platform::kAttrDirectory));
  EXPECT_FALSE(HasAttribute(file, platform::kAttrDirectory));
  EXPECT_EQ(GetDriveTypeOf(""), DriveType::Unknown);
  EXPECT_EQ(GetDriveTypeOf(file), DriveType::Fixed);
}

TEST(FileTools, UsableDrivePathProbesTheFolder) {
  ScratchFolder scratch;
  EXPECT_TRUE(IsUsableDrivePath(scratch.Path("new.txt"), true));
  EXPECT_FALSE(Files().Attributes(scratch.Path("xxx_temp.tmp")).has_value()) << "probe file left behind";
  EXPECT_FALSE(IsUsableDrivePath(scratch.Path("missing\\new.txt"), true));
  EXPECT_TRUE(IsUsableDrivePath(scratch.Path("missing\\new.txt"), false));
  // A probe file that is already there is proof enough, and stays.
  scratch.PutFolder("busy");
  scratch.PutFile("busy\\xxx_temp.tmp", "keep");
  EXPECT_TRUE(IsUsableDrivePath(scratch.Path("busy\\new.txt"), true));
  EXPECT_EQ(ReadFileText(scratch.Path("busy\\xxx_temp.tmp")), "keep");
  EXPECT_FALSE(IsUsableDrivePath("Q:\\x.txt"));  // no such drive
}

// A CD-ROM, a network drive, an absent drive and small fixed drives.
class FileToolsDrives : public test::SimDrivesTest {
 protected:
  void SetUp() override {
    SimDrivesTest::SetUp();
    for (char letter : {'C', 'S', 'T'}) Map(letter, DriveType::Fixed);
    Map('D', DriveType::CdRom);
    Map('N', DriveType::Remote);
    Map('X', DriveType::NoRootDir);
    host_.Machine().Files().SetSpace('C', 80'000'000'000, 10'000'000'000);
    host_.Machine().Files().SetSpace('S', 524'288'000, 10'000'000);   // not more than 500 MiB
    host_.Machine().Files().SetSpace('T', 1'000'000'000, 1'048'576);  // not more than 1 MiB free
  }
};

TEST_F(FileToolsDrives, OnlyPresentNonOpticalDrivesAreUsable) {
  struct Case {
    const char* path;
    bool usable;
  };
  const Case cases[] = {{"C:\\x.txt", true},
                        {"D:\\x.txt", false},
                        {"X:\\x.txt", false},
                        {"Q:\\x.txt", false},
                        {"N:\\x.txt", true}};
  for (const auto& c : cases) EXPECT_EQ(IsUsableDrivePath(c.path), c.usable) << c.path;
  EXPECT_EQ(GetDriveTypeOf("d"), DriveType::CdRom);
}

TEST_F(FileToolsDrives, ForceFoldersOnFixedDrivesOnly) {
  EXPECT_TRUE(ForceFolders("c:\\a\\b\\c"));
  for (const char* level : {"C:\\a", "C:\\a\\b", "C:\\a\\b\\c"})
    EXPECT_TRUE(FolderExistsChecked(level)) << level;
  EXPECT_FALSE(ForceFolders("N:\\a\\b"));
  EXPECT_FALSE(std::filesystem::exists(host_.Folder() / "n" / "a"));
  EXPECT_FALSE(ForceFolders("C:\\a/b"));
  EXPECT_FALSE(ForceFolders("C:\\a\\b?"));
}

TEST_F(FileToolsDrives, FixedDriveLettersAndTheSizeTest) {
  EXPECT_EQ(GetFixedDriveLetters(false), "cst");
  EXPECT_EQ(GetFixedDriveLetters(true), "c");
  host_.Machine().Files().SetVolume('C', platform::VolumeInfo{"SYS", 1234, "NTFS"});
  const TVolumeInfo info = GetVolumeInfo('C');
  EXPECT_EQ(info.VolumeName, "SYS");
  EXPECT_EQ(info.SerialNumber, "1234");
  EXPECT_EQ(info.TotalBytes, 80'000'000'000);
  EXPECT_EQ(info.FreeBytes, 10'000'000'000);
  const TVolumeInfo none = GetVolumeInfo('X');
  EXPECT_EQ(none.SerialNumber, "");
  EXPECT_EQ(none.TotalBytes, -1);
  EXPECT_EQ(none.FreeBytes, -1);
}

TEST(FileTools, ParentFolder) {
  struct Case {
    const char* path;
    const char* parent;
  };
  const Case cases[] = {
      {"C:\\a\\b.txt", "C:\\a\\"},
      {"C:\\a\\b\\", "C:\\a\\"},
      {"C:\\a", "C:\\"},
      {"C:\\", ""},
      {"x", ""},
      {"ab", ""},
      {"\\\\", "\\"},
      {"a\\b", "a\\"},
  };
  for (const auto& c : cases) EXPECT_EQ(ParentFolder(c.path), c.parent) << c.path;
}

TEST(FileTools, CopyDeleteAndAttributes) {
  ScratchFolder scratch;
  scratch.PutFile("a.txt", "data");
  EXPECT_TRUE(CopyFileChecked(scratch.Path("a.txt"), scratch.Path("b.txt")));
  EXPECT_EQ(ReadFileText(scratch.Path("b.txt")), "data");
  scratch.PutFile("c.txt", "other");
  EXPECT_TRUE(CopyFileChecked(scratch.Path("c.txt"), scratch.Path("b.txt")));  // overwrites
  EXPECT_EQ(ReadFileText(scratch.Path("b.txt")), "other");
  EXPECT_FALSE(CopyFileChecked(scratch.Path("missing.txt"), scratch.Path("d.txt")));

  ASSERT_TRUE(Files().SetAttributes(scratch.Path("b.txt"), platform::kAttrReadOnly | platform::kAttrArchive));
  EXPECT_FALSE(DeleteFileChecked(scratch.Path("b.txt")));
  ClearFileAttribute(scratch.Path("b.txt"), platform::kAttrReadOnly);
  EXPECT_FALSE(HasAttribute(scratch.Path("b.txt"), platform::kAttrReadOnly));
  EXPECT_TRUE(DeleteFileChecked(scratch.Path("b.txt")));

  ASSERT_TRUE(Files().SetAttributes(scratch.Path("a.txt"), platform::kAttrReadOnly));
  EXPECT_TRUE(ForceDeleteFile(scratch.Path("a.txt")));
  EXPECT_FALSE(FileExistsChecked(scratch.Path("a.txt")));
  EXPECT_FALSE(ForceDeleteFile(scratch.Path("a.txt")));
  EXPECT_FALSE(ForceDeleteFile(scratch.Root()));  // a folder is not a file
}

TEST(FileTools, CreateEmptyFileAndReadFileText) {
  ScratchFolder scratch;
  EXPECT_TRUE(CreateEmptyFile(scratch.Path("x\\y\\empty.txt")));
  EXPECT_TRUE(FileExistsChecked(scratch.Path("x\\y\\empty.txt")));
  scratch.PutFile("full.txt", std::string(5000, 'a') + "b");
  EXPECT_TRUE(CreateEmptyFile(scratch.Path("full.txt")));
  EXPECT_EQ(ReadFileText(scratch.Path("full.txt")), "");

  scratch.PutFile("text.txt", std::string(5000, 'a') + "b");
  struct Case {
    int64_t limit;
    size_t length;
  };
  const Case cases[] = {{-1, 5001}, {0, 0}, {1, 1}, {4096, 4096}, {4097, 4097}, {99999, 5001}};
  for (const auto& c : cases)
    EXPECT_EQ(ReadFileText(scratch.Path("text.txt"), c.limit).size(), c.length) << c.limit;
  EXPECT_EQ(ReadFileText(scratch.Path("absent.txt")), "");
  EXPECT_EQ(ReadFileText(""), "");
}

TEST(FileTools, DeleteFolderRemovesTheWholeTree) {
  ScratchFolder scratch;
  scratch.PutFile("tree\\a.txt");
  scratch.PutFile("tree\\sub\\b.txt");
  scratch.PutFile("tree\\sub\\deeper\\c.txt");
  scratch.PutFolder("tree\\empty\\inner");
  EXPECT_TRUE(DeleteFolder(scratch.Path("tree\\")));
  EXPECT_FALSE(Files().Attributes(scratch.Path("tree")).has_value());
  EXPECT_FALSE(DeleteFolder(scratch.Path("tree")));
}

TEST(FileTools, ListingFilesAndFolders) {
  ScratchFolder scratch;
  scratch.PutFile("list\\a.exe");
  scratch.PutFile("list\\setup.exe");
  scratch.PutFile("list\\b.dll");
  scratch.PutFile("list\\readme.txt");
  scratch.PutFile("list\\sub\\c.exe");
  scratch.PutFile("list\\sub\\deep\\d.exe");
  const std::string list = scratch.Path("list");

  struct Case {
    const char* masks;
    bool recursive;
    std::set<std::string> names;
  };
  const Case cases[] = {
      {"", false, {"a.exe", "setup.exe", "b.dll", "readme.txt"}},
      {"README.TXT", false, {"readme.txt"}},
      {"*.exe", false, {"a.exe", "setup.exe"}},
      {"*.exe -setup*", false, {"a.exe"}},
      {"*.exe", true, {"a.exe", "setup.exe", "c.exe", "d.exe"}},
      {"c.exe", true, {"c.exe"}},
  };
  for (const auto& c : cases)
    EXPECT_EQ(AsSet(ListFiles(list, c.recursive, c.masks, false)), c.names) << c.masks;

  EXPECT_EQ(AsSet(ListFiles(list + "\\", true, "*.exe", true)),
            (std::set<std::string>{list + "\\a.exe", list + "\\setup.exe", list + "\\sub\\c.exe",
                                   list + "\\sub\\deep\\d.exe"}));
  // Sub-folder lists follow the entries of the folder itself.
  const StringList ordered = ListFiles(list, true, "*.exe", false);
  ASSERT_EQ(ordered.size(), 4u);
  EXPECT_EQ(ordered[2], "c.exe");
  EXPECT_EQ(ordered[3], "d.exe");

  std::string error;
  EXPECT_TRUE(ListFiles(list, false, "*[a-", false, &error).empty());
  EXPECT_EQ(error, "'*[a-' is an invalid mask at (2)");
  EXPECT_TRUE(ListFiles(scratch.Path("missing"), true, "", false).empty());

  EXPECT_EQ(ListSubfolders(list, true, false), (StringList{"sub", "deep"}));
  EXPECT_EQ(ListSubfolders(list, true, true), (StringList{list + "\\sub\\", list + "\\sub\\deep\\"}));
  EXPECT_EQ(ListSubfolderNames(list), (StringList{"sub"}));
  EXPECT_TRUE(ListSubfolderNames(scratch.Path("missing")).empty());
}

TEST(FileTools, MaskLists) {
  struct Case {
    const char* name;
    const char* masks;
    StringList excluded;
    bool matches;
  };
  const Case cases[] = {
      {"setup.exe", "*.exe -setup*", {}, false},
      {"setup.exe", "*.exe;*.dll", {}, true},
      {"x.DLL", "*.exe; *.dll", {}, true},
      {"x.txt", "*.exe;*.dll", {}, false},
      {"anything", "*", {}, true},
      {"anything", "*.*", {"any"}, true},  // the whole-list shortcut ignores exclusions
      {"C:\\dir\\a.exe", "a.exe", {}, true},
      {"C:\\dir\\a.exe", "C:\\dir\\*", {}, true},
      {"C:\\dir\\a.exe", "C:\\other\\*", {}, false},
      {"report.log", "*.log", {"REPORT"}, false},
      {"install.log", "*.log -inst*;*.txt", {}, false},
      {"notes.txt", "*.log -inst*;*.txt", {}, true},
      {"b.exe", "[a-c].exe", {}, true},
      {"B.exe", "[a-c].exe", {}, true},
      {"d.exe", "[a-c].exe", {}, false},
      {"d.exe", "[!a-c].exe", {}, true},
      {"a1.exe", "a?.exe", {}, true},
      {"a12.exe", "a?.exe", {}, false},
      {"", "*.exe", {}, false},
  };
  for (const auto& c : cases)
    EXPECT_EQ(MatchesMaskList(c.name, c.masks, c.excluded), c.matches) << c.name << " / " << c.masks;
}

TEST(FileTools, MalformedMasksReportWhere) {
  struct Case {
    const char* mask;
    const char* error;
  };
  const Case cases[] = {
      {"*.[ab", "'*.[ab' is an invalid mask at (3)"},
      {"[]", "'[]' is an invalid mask at (1)"},
      {"x[!]", "'x[!]' is an invalid mask at (2)"},
      {"[a-]", "'[a-]' is an invalid mask at (1)"},
      {"*.exe", nullptr},
      {"[a-c]*", nullptr},
  };
  for (const auto& c : cases) {
    auto error = MaskError(c.mask);
    EXPECT_EQ(error.has_value(), c.error != nullptr) << c.mask;
    if (error && c.error) {
      EXPECT_EQ(*error, c.error);
    }
  }
  std::string error;
  EXPECT_FALSE(MatchesMaskList("a.exe", "*.exe -[x", {}, &error));
  EXPECT_EQ(error, "'[x' is an invalid mask at (1)");
}

TEST(FileTools, FindExecutableForLeavesNothingBehind) {
  ScratchFolder scratch;
  if (scratch.Sim()) scratch.Sim()->System().SetAssociation(".ini", "C:\\Windows\\system32\\notepad.exe ");
  const std::string temp = platform::Sys().TempFolder();
  const auto before = AsSet(ListFiles(temp, false, "", false));

  // The simulated machine answers without touching its drives at all.
  if (scratch.Sim()) scratch.Sim()->Files().ResetCallCount();
  const std::string expected = FindExecutableFor("ini");
  if (scratch.Sim()) {
    EXPECT_EQ(scratch.Sim()->Files().CallCount(), 0u);
  }
  EXPECT_NE(platform::Sys().UpperCase(expected).find("NOTEPAD.EXE"), std::string::npos) << expected;
  EXPECT_EQ(expected, Trim(expected));
  EXPECT_EQ(FindExecutableFor(".ini"), expected);
  EXPECT_EQ(FindExecutableFor(".vpnoassociation"), "");

  // Several threads at once all get the answer, and nothing is left behind,
  // neither in the temporary folder nor in the root of C:.
  std::vector<StringList> answers(4);
  std::vector<std::thread> threads;
  for (auto& answer : answers)
    threads.emplace_back([&answer] {
      for (int i = 0; i < 5; ++i) answer.push_back(FindExecutableFor(".ini"));
    });
  for (auto& thread : threads) thread.join();
  for (const auto& answer : answers) EXPECT_EQ(answer, StringList(5, expected));
  EXPECT_EQ(AsSet(ListFiles(temp, false, "", false)), before);
  EXPECT_FALSE(Files().Attributes("C:\\temp.ini").has_value());

  // An extension cannot lead the temporary file elsewhere.
  for (const char* bad : {"", ".", "..\\..\\x", "a/b", ".a:b", ".a*", "a\nb"})
    EXPECT_EQ(FindExecutableFor(bad), "") << bad;
}

TEST(FileTools, IniStringsRoundTrip) {
  ScratchFolder scratch;
  const std::string file = scratch.Path("data\\settings.dat");
  EXPECT_EQ(ReadIniString(file, "Main", "Key"), "");
  EXPECT_TRUE(WriteIniString(file, "Main", "Key", "Value"));
  EXPECT_EQ(ReadIniString(file, "main", "KEY"), "Value");
  ASSERT_TRUE(Files().SetAttributes(file, platform::kAttrReadOnly));
  EXPECT_TRUE(WriteIniString(file, "Main", "Other", "2"));
  EXPECT_EQ(ReadIniString(file, "Main", "Other"), "2");
  EXPECT_EQ(ReadIniString(file, "Main", "Key"), "Value");
  EXPECT_FALSE(HasAttribute(file, platform::kAttrReadOnly));
}

TEST(FileTools, ReadIniTextCleansAndFollowsChanges) {
  ScratchFolder scratch;
  scratch.PutFile(
      "English.lng",
      "[Texts]\r\nHello=Hello // a comment\r\nLines=One<BR>Two<br>Three\r\nUrl=  see http://x  \r\n");
  const std::string file = scratch.Path("English.lng");
  TFileTools tools;
  struct Case {
    const char* key;
    const char* value;
  };
  const Case cases[] = {
      {"Hello", "Hello"}, {"Lines", "One\r\nTwo\r\nThree"}, {"Url", "see http:"}, {"Absent", ""}};
  for (const auto& c : cases) EXPECT_EQ(tools.ReadIniText(file, "Texts", c.key), c.value) << c.key;

  // A newer file is read again; an unchanged one is not.
  scratch.PutFile("English.lng", "[Texts]\r\nHello=Changed\r\n");
  const auto host = scratch.Host("English.lng");
  std::filesystem::last_write_time(host, std::filesystem::last_write_time(host) + std::chrono::hours(1));
  EXPECT_EQ(tools.ReadIniText(file, "Texts", "Hello"), "Changed");
  EXPECT_EQ(tools.ReadIniText(scratch.Path("absent.lng"), "Texts", "Hello"), "");
}

TEST(FileTools, FunctionCacherKeysIgnoreCase) {
  TFunctionCacher cache;
  std::string value = "stale";
  EXPECT_FALSE(cache.Lookup(".txt", value));
  EXPECT_EQ(value, "");
  cache.Store(".TXT", "notepad.exe");
  EXPECT_TRUE(cache.Lookup(".txt", value));
  EXPECT_EQ(value, "notepad.exe");
  cache.Store(".Txt", "wordpad.exe");
  EXPECT_TRUE(cache.Lookup(".TXT", value));
  EXPECT_EQ(value, "wordpad.exe");
}

}  // namespace
}  // namespace vp
