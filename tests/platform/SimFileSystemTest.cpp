#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "platform/sim/SimMachine.h"

// What only the simulation can set up: drives of every type, chosen volume
// data and sizes, host names outside ASCII, and the count of calls.
namespace vp::platform::sim {
namespace {
namespace fs = std::filesystem;

class SimFileSystemTest : public ::testing::Test {
 protected:
  void SetUp() override {
    host_ = fs::temp_directory_path() /
            ("vp-simfs-" + std::string(::testing::UnitTest::GetInstance()->current_test_info()->name()));
    fs::remove_all(host_);
    for (const char* drive : {"c", "d", "e", "n"}) fs::create_directories(host_ / drive);
    files_.MapDrive('C', host_ / "c", DriveType::Fixed);
    files_.MapDrive('d', host_ / "d", DriveType::CdRom);
    files_.MapDrive('E', host_ / "e", DriveType::Removable);
    files_.MapDrive('N', host_ / "n", DriveType::Remote);
    files_.MapDrive('X', host_ / "x", DriveType::NoRootDir);
  }
  void TearDown() override { fs::remove_all(host_); }

  void Put(const fs::path& relative, const std::string& bytes = {}) {
    fs::create_directories((host_ / relative).parent_path());
    std::ofstream(host_ / relative, std::ios::binary) << bytes;
  }

  fs::path host_;
  SimFileSystem files_;
};

TEST_F(SimFileSystemTest, DriveTypesAndAbsentDrives) {
  struct Case {
    char letter;
    DriveType type;
  };
  const Case cases[] = {{'c', DriveType::Fixed},  {'D', DriveType::CdRom},     {'e', DriveType::Removable},
                        {'n', DriveType::Remote}, {'x', DriveType::NoRootDir}, {'q', DriveType::NoRootDir}};
  for (const auto& c : cases) EXPECT_EQ(files_.DriveTypeOf(c.letter), c.type) << c.letter;
  EXPECT_EQ(files_.LogicalDriveLetters(), "CDEN");

  Put("x/file.txt");  // present on the host, but the drive is absent
  EXPECT_FALSE(files_.Attributes("X:\\file.txt").has_value());
  EXPECT_FALSE(files_.VolumeOf('X').has_value());
  EXPECT_FALSE(files_.HostPath("Q:\\file.txt").has_value());
  Put("d/setup.exe");
  EXPECT_TRUE(files_.Attributes("D:\\SETUP.EXE").has_value());
  // Chosen volumes and sizes show in the file tools' drive tests; drives left
  // alone report a default volume and the host's space.
  ASSERT_TRUE(files_.VolumeOf('E').has_value());
  EXPECT_NE(files_.VolumeOf('E')->serial, 0u);
  EXPECT_GT(files_.SpaceOf("E:\\")->total, 0);
}

TEST_F(SimFileSystemTest, NamesOutsideAsciiMapToCodePage1252) {
  Put(fs::path(u8"c/\u00C4rger/\u20ACuro.txt"), "x");  // A umlaut, euro sign
  EXPECT_TRUE(files_.Attributes("C:\\\xC4rger\\\x80uro.txt").has_value());
  EXPECT_TRUE(files_.Attributes("C:\\\xE4RGER\\\x80URO.TXT").has_value());
  auto search = files_.Search("C:\\\xE4rger\\*");
  DirectoryEntry entry;
  ASSERT_TRUE(search->Next(entry));
  EXPECT_EQ(entry.name, "\x80uro.txt");

  // A host name with no code page 1252 form is not listed at all.
  Put(fs::path(u8"c/\u00C4rger/\u4E2D.txt"), "x");
  search = files_.Search("C:\\\xE4rger\\*");
  int count = 0;
  while (search->Next(entry)) ++count;
  EXPECT_EQ(count, 1);

  for (const char byte : std::string("\xC4\x80\x81\xFF")) {
    auto utf8 = Cp1252ToUtf8(std::string(1, byte));
    ASSERT_TRUE(utf8.has_value()) << int(byte);
    EXPECT_EQ(Utf8ToCp1252(*utf8), std::string(1, byte));
  }
  EXPECT_FALSE(Utf8ToCp1252("\xE4\xB8\xAD").has_value());  // CJK
  EXPECT_FALSE(Utf8ToCp1252("\xC3").has_value());          // truncated
  EXPECT_FALSE(Utf8ToCp1252("\xC0\x80").has_value());      // overlong
}

TEST_F(SimFileSystemTest, WildcardNames) {
  struct Case {
    const char* pattern;
    const char* name;
    bool matches;
  };
  const Case cases[] = {
      {"*", "anything", true},       {"*.*", "noext", true},    {"*.txt", "A.TXT", true},
      {"*.txt", "a.txt.bak", false}, {"a?c", "abc", true},      {"a?c", "ac", false},
      {"*b*", "abc", true},          {"a*c*e", "abXcYe", true}, {"\xE4*", "\xC4rger", true},
  };
  for (const auto& c : cases)
    EXPECT_EQ(WildcardMatchesName(c.pattern, c.name), c.matches) << c.pattern << " " << c.name;
}

TEST_F(SimFileSystemTest, CountsEveryCall) {
  files_.ResetCallCount();
  EXPECT_EQ(files_.CallCount(), 0u);
  files_.Attributes("C:\\a");
  files_.Search("C:\\*");
  files_.DriveTypeOf('C');
  files_.ReadWholeFile("C:\\a");
  EXPECT_EQ(files_.CallCount(), 4u);
  // Resolving a host path for a test is not a call of the program.
  files_.HostPath("C:\\a");
  EXPECT_EQ(files_.CallCount(), 4u);
}

TEST_F(SimFileSystemTest, MachineWiresAssociationsToItsFiles) {
  SimMachine machine;
  machine.Files().MapDrive('C', host_ / "c", DriveType::Fixed);
  machine.System().SetAssociation("txt", "C:\\Windows\\notepad.exe");
  Put("c/Doc.TXT");
  EXPECT_EQ(machine.System().AssociatedProgram("C:\\doc.txt"), "C:\\Windows\\notepad.exe");
  EXPECT_FALSE(machine.System().AssociatedProgram("C:\\other.txt").has_value());
  machine.System().SetEnvironment("TMP", "C:\\Temp");
  EXPECT_EQ(machine.System().TempFolder(), "C:\\Temp\\");
}

}  // namespace
}  // namespace vp::platform::sim
