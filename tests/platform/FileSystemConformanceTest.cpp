#include <gtest/gtest.h>

#include <algorithm>
#include <set>

#include "platform/FileSystem.h"
#include "platform/Platform.h"
#include "platform/System.h"
#include "platform/sim/SimMachine.h"
#include "support/ScratchFolder.h"
#include "support/TestSupport.h"

// These cases hold on the real system (under Wine) and on the simulated one
// alike, in a scratch folder of the temporary folder.
namespace vp::platform {
namespace {

using test::ScratchFolder;

std::vector<DirectoryEntry> SearchAll(std::string_view pattern) {
  std::vector<DirectoryEntry> entries;
  auto search = Files().Search(pattern);
  DirectoryEntry entry;
  while (search->Next(entry)) entries.push_back(entry);
  return entries;
}

std::set<std::string> Names(const std::vector<DirectoryEntry>& entries) {
  std::set<std::string> names;
  for (const auto& entry : entries) names.insert(entry.name);
  return names;
}

TEST(FileSystemConformance, DrivesAndVolumes) {
  ScratchFolder scratch;
  EXPECT_EQ(Files().DriveTypeOf('C'), DriveType::Fixed);
  EXPECT_EQ(Files().DriveTypeOf('c'), DriveType::Fixed);
  EXPECT_EQ(Files().DriveTypeOf('Q'), DriveType::NoRootDir);
  EXPECT_NE(Files().LogicalDriveLetters().find('C'), std::string::npos);
  EXPECT_EQ(Files().LogicalDriveLetters().find('Q'), std::string::npos);

  auto volume = Files().VolumeOf('c');
  ASSERT_TRUE(volume.has_value());
  EXPECT_FALSE(volume->fileSystem.empty());
  EXPECT_FALSE(Files().VolumeOf('Q').has_value());

  auto space = Files().SpaceOf("C:\\");
  ASSERT_TRUE(space.has_value());
  EXPECT_GT(space->total, 0);
  EXPECT_LE(space->freeToCaller, space->total);
  EXPECT_TRUE(Files().SpaceOf(scratch.Root()).has_value());
  EXPECT_FALSE(Files().SpaceOf("Q:\\").has_value());
}

TEST(FileSystemConformance, AttributesOfFilesAndFolders) {
  ScratchFolder scratch;
  scratch.PutFile("file.txt", "abc");
  scratch.PutFolder("sub");

  auto file = Files().Attributes(scratch.Path("file.txt"));
  ASSERT_TRUE(file.has_value());
  EXPECT_EQ(*file & kAttrDirectory, 0u);
  auto folder = Files().Attributes(scratch.Path("sub"));
  ASSERT_TRUE(folder.has_value());
  EXPECT_NE(*folder & kAttrDirectory, 0u);
  EXPECT_FALSE(Files().Attributes(scratch.Path("missing.txt")).has_value());
  EXPECT_FALSE(Files().Attributes(scratch.Path("missing\\file.txt")).has_value());

  // Read-only protects a file from deletion until it is cleared again.
  ASSERT_TRUE(Files().SetAttributes(scratch.Path("file.txt"), kAttrReadOnly));
  EXPECT_NE(*Files().Attributes(scratch.Path("file.txt")) & kAttrReadOnly, 0u);
  EXPECT_FALSE(Files().RemoveFile(scratch.Path("file.txt")));
  EXPECT_FALSE(Files().WriteWholeFile(scratch.Path("file.txt"), "x"));
  ASSERT_TRUE(Files().SetAttributes(scratch.Path("file.txt"), kAttrNormal));
  EXPECT_EQ(*Files().Attributes(scratch.Path("file.txt")) & kAttrReadOnly, 0u);
  EXPECT_TRUE(Files().RemoveFile(scratch.Path("file.txt")));
  EXPECT_FALSE(Files().Attributes(scratch.Path("file.txt")).has_value());
  EXPECT_FALSE(Files().SetAttributes(scratch.Path("file.txt"), kAttrNormal));
}

TEST(FileSystemConformance, NamesResolveWithoutRegardToCase) {
  ScratchFolder scratch;
  scratch.PutFile("Mixed\\Foo.DLL", "12345");
  struct Case {
    const char* path;
    bool found;
  };
  const Case cases[] = {
      {"Mixed\\Foo.DLL", true},
      {"mixed\\foo.dll", true},
      {"MIXED\\FOO.DLL", true},
      {"mixed\\\\foo.dll", true},   // repeated separators collapse
      {"mixed\\.\\foo.dll", true},  // "." components vanish
      {"mixed\\x\\..\\foo.dll", true},
      {"mixed\\foo.dll.", true},  // the last name loses trailing dots and
                                  // blanks
      {"mixed\\foo.dll  ", true},
      {"mixed\\foo.dl", false},
      {"mixed\\foo.dll\\", false},
      {"mixed\\fo?.dll", false},
      {"mixed\\foo.dll:stream", false},
  };
  for (const auto& c : cases)
    EXPECT_EQ(Files().Attributes(scratch.Path(c.path)).has_value(), c.found) << c.path;

  auto found = SearchAll(scratch.Path("MIXED\\foo.dll"));
  ASSERT_EQ(found.size(), 1u);
  EXPECT_EQ(found[0].name, "Foo.DLL");
  EXPECT_EQ(found[0].size, 5u);
}

TEST(FileSystemConformance, DirectorySearchListsEntries) {
  ScratchFolder scratch;
  scratch.PutFile("a.txt", "1");
  scratch.PutFile("B.TXT", "22");
  scratch.PutFile("c.dat", "333");
  scratch.PutFolder("folder.txt");
  scratch.PutFile("folder.txt\\inner.txt");

  const auto all = SearchAll(scratch.Path("*"));
  EXPECT_EQ(Names(all), (std::set<std::string>{"a.txt", "B.TXT", "c.dat", "folder.txt"}));
  for (const auto& entry : all) {
    EXPECT_EQ(entry.IsFolder(), entry.name == "folder.txt") << entry.name;
    EXPECT_GT(entry.modified, 0u) << entry.name;
    if (!entry.IsFolder()) {
      EXPECT_EQ(entry.size, entry.name == "a.txt" ? 1u : entry.name == "B.TXT" ? 2u : 3u);
    }
  }
  EXPECT_EQ(Names(SearchAll(scratch.Path("*.*"))), Names(all));
  EXPECT_EQ(Names(SearchAll(scratch.Path("*.txt"))), (std::set<std::string>{"a.txt", "B.TXT", "folder.txt"}));
  EXPECT_EQ(Names(SearchAll(scratch.Path("?.TXT"))), (std::set<std::string>{"a.txt", "B.TXT"}));
  EXPECT_TRUE(SearchAll(scratch.Path("missing\\*")).empty());
  EXPECT_TRUE(SearchAll(scratch.Path("missing.txt")).empty());
  EXPECT_TRUE(SearchAll("").empty());

  // The modification time of an entry is the one the file reports.
  auto time = Files().ModifiedTime(scratch.Path("a.txt"));
  ASSERT_TRUE(time.has_value());
  const auto entry = std::find_if(all.begin(), all.end(), [](const auto& e) { return e.name == "a.txt"; });
  ASSERT_NE(entry, all.end());
  EXPECT_EQ(entry->modified, *time);
  EXPECT_FALSE(Files().ModifiedTime(scratch.Path("missing.txt")).has_value());
}

TEST(FileSystemConformance, CopyAndRemove) {
  ScratchFolder scratch;
  scratch.PutFile("source.txt", "new");
  scratch.PutFile("target.txt", "old");

  EXPECT_FALSE(Files().CopyFileTo(scratch.Path("source.txt"), scratch.Path("target.txt"), false));
  EXPECT_EQ(Files().ReadWholeFile(scratch.Path("target.txt")), "old");
  EXPECT_TRUE(Files().CopyFileTo(scratch.Path("source.txt"), scratch.Path("target.txt"), true));
  EXPECT_EQ(Files().ReadWholeFile(scratch.Path("target.txt")), "new");
  EXPECT_TRUE(Files().CopyFileTo(scratch.Path("source.txt"), scratch.Path("copy.txt"), false));
  EXPECT_EQ(Files().ModifiedTime(scratch.Path("copy.txt")), Files().ModifiedTime(scratch.Path("source.txt")));
  EXPECT_FALSE(Files().CopyFileTo(scratch.Path("missing.txt"), scratch.Path("x.txt"), true));
  EXPECT_FALSE(Files().CopyFileTo(scratch.Path("source.txt"), scratch.Path("no\\x.txt"), true));

  EXPECT_FALSE(Files().RemoveFile(scratch.Path("missing.txt")));
  EXPECT_TRUE(Files().RemoveFile(scratch.Path("COPY.TXT")));
  EXPECT_FALSE(Files().Attributes(scratch.Path("copy.txt")).has_value());
}

TEST(FileSystemConformance, FoldersAreMadeAndRemovedOneLevelAtATime) {
  ScratchFolder scratch;
  EXPECT_FALSE(Files().MakeFolder(scratch.Path("a\\b")));
  EXPECT_TRUE(Files().MakeFolder(scratch.Path("a")));
  EXPECT_FALSE(Files().MakeFolder(scratch.Path("a")));
  EXPECT_TRUE(Files().MakeFolder(scratch.Path("A\\b")));
  EXPECT_FALSE(Files().RemoveFolder(scratch.Path("a")));
  EXPECT_FALSE(Files().RemoveFile(scratch.Path("a\\b")));
  EXPECT_TRUE(Files().RemoveFolder(scratch.Path("a\\b")));
  EXPECT_TRUE(Files().RemoveFolder(scratch.Path("a")));
  EXPECT_FALSE(Files().RemoveFolder(scratch.Path("a")));
}

TEST(FileSystemConformance, WholeFilesAreReadAndWritten) {
  ScratchFolder scratch;
  std::string big(10000, 'x');
  big[4096] = '\0';
  big.back() = 'y';
  ASSERT_TRUE(Files().WriteWholeFile(scratch.Path("big.bin"), big));
  EXPECT_EQ(Files().ReadWholeFile(scratch.Path("big.bin")), big);
  EXPECT_EQ(Files().ReadWholeFile(scratch.Path("big.bin"), 4097), big.substr(0, 4097));
  EXPECT_EQ(Files().ReadWholeFile(scratch.Path("big.bin"), 0), "");
  EXPECT_FALSE(Files().ReadWholeFile(scratch.Path("missing.bin")).has_value());
  EXPECT_FALSE(Files().ReadWholeFile(scratch.Root()).has_value());

  ASSERT_TRUE(Files().WriteWholeFile(scratch.Path("big.bin"), "short"));
  EXPECT_EQ(Files().ReadWholeFile(scratch.Path("big.bin")), "short");
  EXPECT_FALSE(Files().WriteWholeFile(scratch.Path("no\\file.bin"), "x"));

  ASSERT_TRUE(Files().ReplaceWholeFile(scratch.Path("big.bin"), "replaced"));
  EXPECT_EQ(Files().ReadWholeFile(scratch.Path("big.bin")), "replaced");
  ASSERT_TRUE(Files().ReplaceWholeFile(scratch.Path("fresh.bin"), "fresh"));
  EXPECT_EQ(Files().ReadWholeFile(scratch.Path("fresh.bin")), "fresh");
  EXPECT_FALSE(Files().ReplaceWholeFile(scratch.Path("no\\file.bin"), "x"));
  ASSERT_TRUE(Files().SetAttributes(scratch.Path("fresh.bin"), kAttrReadOnly));
  EXPECT_FALSE(Files().ReplaceWholeFile(scratch.Path("fresh.bin"), "x"));
  EXPECT_EQ(Files().ReadWholeFile(scratch.Path("fresh.bin")), "fresh");
  Files().SetAttributes(scratch.Path("fresh.bin"), kAttrNormal);
  // Nothing is left beside the file.
  EXPECT_EQ(Names(SearchAll(scratch.Path("*"))), (std::set<std::string>{"big.bin", "fresh.bin"}));
}

TEST(FileSystemConformance, SystemFolders) {
  ScratchFolder scratch;
  EXPECT_EQ(Sys().UpperCase(Sys().WindowsFolder()), "C:\\WINDOWS");
  EXPECT_EQ(Sys().UpperCase(Sys().SystemFolder()), "C:\\WINDOWS\\SYSTEM32");
  const std::string temp = Sys().TempFolder();
  ASSERT_FALSE(temp.empty());
  EXPECT_EQ(temp.back(), '\\');
  auto attributes = Files().Attributes(temp);
  ASSERT_TRUE(attributes.has_value());
  EXPECT_NE(*attributes & kAttrDirectory, 0u);
}

TEST(FileSystemConformance, AssociatedProgramOfAnExistingFile) {
  ScratchFolder scratch;
  // A stock system associates ".ini" with notepad.
  if (scratch.Sim()) scratch.Sim()->System().SetAssociation(".ini", "C:\\Windows\\system32\\notepad.exe");
  scratch.PutFile("note.ini", "x");
  auto program = Sys().AssociatedProgram(scratch.Path("note.ini"));
  ASSERT_TRUE(program.has_value());
  EXPECT_NE(Sys().UpperCase(*program).find("NOTEPAD.EXE"), std::string::npos) << *program;
  EXPECT_FALSE(Sys().AssociatedProgram(scratch.Path("absent.ini")).has_value());
  scratch.PutFile("file.vpnoassoc", "x");
  EXPECT_FALSE(Sys().AssociatedProgram(scratch.Path("file.vpnoassoc")).has_value());
}

}  // namespace
}  // namespace vp::platform
