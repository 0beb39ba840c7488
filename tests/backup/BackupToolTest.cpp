#include <gtest/gtest.h>

#include "backup/BackupFixture.h"
#include "backup/BackupSets.h"
#include "backup/BackupTool.h"
#include "platform/FileSystem.h"
#include "registry/RegExportText.h"
#include "support/RegistryTestSupport.h"

namespace vp::backup {
namespace {

using vp::test::UserKey;

using namespace std::string_literals;
constexpr const char* kRoot = "HKEY_CURRENT_USER";

class FixedClock : public Clock {
 public:
  LocalTime Now() const override { return {2026, 1, 5, 11, 0, 0, 500}; }
  uint64_t TickCount() const override { return 1234; }
  LocaleFormats Formats() const override { return {}; }
};

const std::string kHeader5 =
    "Windows Registry Editor Version 5.00\r\n\r\n"
    "; File created by TBackupTool\r\n"
    "; Component version: 1.4\r\n"
    "; Component used by: Veltaro Pro\r\n"
    "; Program version: 1.2\r\n"
    "; File Description: Fix run\r\n"
    "; Date: 05.01.2026\r\n"
    "; Time: 11:00:00\r\n\r\n";

class BackupToolTest : public test::BackupFixture {
 protected:
  std::string Header(const std::string& relative) const {
    return "[HKEY_CURRENT_USER\\" + Key(relative) + "]";
  }
  bool Create(TBackupTool& tool, int typeCode = 9) {
    return tool.CreateBackup(BackupsFolder(), "Fix run", typeCode, "1.2", "Veltaro Pro");
  }
  FixedClock clock_;
};

TEST_F(BackupToolTest, CreateBackupWritesIndexAndHeader) {
  TBackupTool tool(clock_);
  tool.SetRandomSource([](uint32_t) { return 0x1A2u; });
  ASSERT_TRUE(Create(tool, 3));
  EXPECT_EQ(tool.SetFolder(), BackupsFolder() + "0001A2\\");
  EXPECT_EQ(platform::Files().ReadWholeFile(tool.SetFolder() + "Entries.reg"),
            EntriesFileBytes(kHeader5, true, true));
  const std::string index = ReadText(tool.SetFolder() + "Index.dat");
  const std::string expectedStart =
      "[Header]\r\nProgVersion=1.2\r\nSyntaxVersion=1.4\r\nDateTime=1/5/2026 11:00:00 AM\r\n"
      "DateTimeEx=46027.4583391204\r\nText=Fix run\r\nTypeCode=3\r\nID=";
  ASSERT_EQ(index.substr(0, expectedStart.size()), expectedStart);
  const std::string id = index.substr(expectedStart.size());
  ASSERT_EQ(id.size(), 42u);
  EXPECT_EQ(id.find_first_not_of("0123456789ABCDEF"), 40u);
  for (const char* name : {"Files.dat", "Strings.dat", "Cookies.dat"}) {
    EXPECT_EQ(ReadText(tool.SetFolder() + name), "") << name;
  }

  // A taken name is never reused: the next set goes elsewhere.
  ASSERT_TRUE(Create(tool, 3));
  EXPECT_EQ(tool.SetFolder(), BackupsFolder() + "000000\\");
}

TEST_F(BackupToolTest, OldFormatHeaderFollowsTheWindowsVersion) {
  if (!Machine()) GTEST_SKIP() << "the real system's version is fixed";
  Machine()->System().SetVersion({4, 10, 2222, 1});
  TBackupTool tool(clock_);
  EXPECT_TRUE(tool.OldFormat());
  ASSERT_TRUE(Create(tool));
  EXPECT_EQ(platform::Files().ReadWholeFile(tool.SetFolder() + "Entries.reg"), "REGEDIT4\r\n\r\n");
}

TEST_F(BackupToolTest, NothingIsWrittenWithoutASet) {
  Put("A", "v", platform::kRegSz, "x\0"s);
  const std::string file = WorkFolder() + "f.txt";
  ASSERT_TRUE(platform::Files().WriteWholeFile(file, "data"));
  TBackupTool tool(clock_);
  EXPECT_FALSE(tool.CreateBackup(BackupsFolder() + "Missing\\", "x", 9, "1.2", "Veltaro Pro"));
  EXPECT_EQ(tool.SetFolder(), "");
  EXPECT_FALSE(tool.AddValue(UserKey(Key("A")), "v"));
  EXPECT_FALSE(tool.AddKey(UserKey(Key("A"))));
  EXPECT_FALSE(tool.AddFile(file));
  EXPECT_FALSE(tool.AddString("text"));
  ASSERT_TRUE(Create(tool));
  EXPECT_FALSE(tool.AddValue(TKeyAddress{platform::kNoKey, Key("A")}, "v"));
  EXPECT_FALSE(tool.AddKeyByPath("HKEY_NOWHERE\\" + Key("A")));
  EXPECT_FALSE(tool.AddKeyByPath("HKCU\\" + Key("A")));
  EXPECT_FALSE(tool.AddKey(UserKey("")));
  EXPECT_FALSE(tool.AddValue(UserKey(Key("A")), "absent"));
  EXPECT_EQ(ReadText(tool.SetFolder() + "Entries.reg"), kHeader5);
}

TEST_F(BackupToolTest, ValuesOfOneKeyShareOneHeader) {
  Put("A", "", platform::kRegSz, "default\0"s);
  Put("A", "two", platform::kRegDword, "\x02\0\0\0"s);
  Put("B", "x", platform::kRegSz, "b\\\"\0"s);
  TBackupTool tool(clock_);
  ASSERT_TRUE(Create(tool));
  EXPECT_TRUE(tool.AddValue(UserKey(Key("A")), " @ "));
  EXPECT_TRUE(tool.AddValue(UserKey(Key("A")), "two"));
  EXPECT_TRUE(tool.AddValue(UserKey(Key("B")), "x"));
  EXPECT_TRUE(tool.AddValue(UserKey(Key("A")), "two"));
  EXPECT_EQ(ReadText(tool.SetFolder() + "Entries.reg"),
            kHeader5 + "\r\n" + Header("A") + "\r\n@=\"default\"\r\n\"two\"=dword:00000002\r\n" + "\r\n" +
                Header("B") + "\r\n\"x\"=\"b\\\\\\\"\"\r\n" + "\r\n" + Header("A") +
                "\r\n\"two\"=dword:00000002\r\n");
}

TEST_F(BackupToolTest, KeyExportAddsTrailingBackslashes) {
  Put("K\\Sub", "s", platform::kRegSz, "1\0"s);
  Put("K", "b", platform::kRegBinary, "\x01\x02"s);
  TBackupTool tool(clock_);
  ASSERT_TRUE(Create(tool));
  EXPECT_TRUE(tool.AddKeyByPath(std::string(kRoot) + "\\" + Key("K")));
  EXPECT_EQ(ReadText(tool.SetFolder() + "Entries.reg"),
            kHeader5 + "\r\n[HKEY_CURRENT_USER\\" + Key("K\\Sub\\") + "]\r\n\"s\"=\"1\"\r\n" +
                "\r\n[HKEY_CURRENT_USER\\" + Key("K\\") + "]\r\n\r\n\"b\"=hex:01,02\r\n");
}

TEST_F(BackupToolTest, FilesAndStringsAreListed) {
  const std::string file = WorkFolder() + "notepad.exe";
  ASSERT_TRUE(platform::Files().WriteWholeFile(file, "MZ program"));
  TBackupTool tool(clock_);
  tool.SetRandomSource([](uint32_t) { return 0x19A2u; });
  ASSERT_TRUE(Create(tool));
  EXPECT_TRUE(tool.AddFile(file));
  EXPECT_TRUE(tool.AddFile(file));
  EXPECT_FALSE(tool.AddFile(WorkFolder() + "absent.exe"));
  EXPECT_EQ(ReadText(tool.SetFolder() + "notepad.exe"), "MZ program");
  EXPECT_EQ(ReadText(tool.SetFolder() + "notepad.exe_0019A2"), "MZ program");
  EXPECT_EQ(ReadText(tool.SetFolder() + "Files.dat"),
            "[Header]\r\nFiles=2\r\n\r\n[File1]\r\nOrigFile=" + file + "\r\nBackupFile=notepad.exe\r\n\r\n" +
                "[File2]\r\nOrigFile=" + file + "\r\nBackupFile=notepad.exe_0019A2\r\n\r\n");
  EXPECT_TRUE(tool.AddString("NoOpenWith:Applications\\x.exe"));
  EXPECT_TRUE(tool.AddString("second"));
  EXPECT_EQ(ReadText(tool.SetFolder() + "Strings.dat"),
            "[Header]\r\nStrings=2\r\n\r\n[Strings]\r\n1=NoOpenWith:Applications\\x.exe\r\n2=second\r\n\r\n");
}

TEST_F(BackupToolTest, DestroyCleansOnlyTheNewestSetsEmptyFiles) {
  Put("A", "v", platform::kRegSz, "x\0"s);
  std::string first;
  std::string second;
  {
    TBackupTool tool(clock_);
    ASSERT_TRUE(Create(tool));
    first = tool.SetFolder();
    ASSERT_TRUE(Create(tool));
    second = tool.SetFolder();
    ASSERT_TRUE(tool.AddString("kept"));
  }
  for (const char* name : {"Entries.reg", "Files.dat", "Strings.dat", "Cookies.dat", "Index.dat"}) {
    EXPECT_TRUE(FileExists(first + name)) << name;
  }
  for (const char* name : {"Entries.reg", "Files.dat", "Cookies.dat"})
    EXPECT_FALSE(FileExists(second + name)) << name;
  for (const char* name : {"Strings.dat", "Index.dat"}) EXPECT_TRUE(FileExists(second + name)) << name;
  std::string third;
  {
    TBackupTool tool(clock_);
    ASSERT_TRUE(Create(tool));
    third = tool.SetFolder();
    ASSERT_TRUE(tool.AddValue(UserKey(Key("A")), "v"));
  }
  EXPECT_TRUE(FileExists(third + "Entries.reg"));
  EXPECT_EQ(ListBackupSets(BackupsFolder(), "(none)").size(), 3u);
}

TEST_F(BackupToolTest, RemovalsAndStringWrites) {
  Put("R\\Sub\\Deep", "v", platform::kRegSz, "1\0"s);
  Put("R", "n", platform::kRegNone, "\x01"s);
  Put("V", "", platform::kRegSz, "d\0"s);
  Put("V", "e", platform::kRegExpandSz, "%A%\0"s);
  Put("V", "m", platform::kRegMultiSz, "a\0b\0\0"s);
  Put("V", "b", platform::kRegBinary, "\x01"s);
  TBackupTool tool(clock_);
  EXPECT_TRUE(tool.RemoveKeyByPath(std::string(" ") + kRoot + " \\ " + Key("R") + " "));
  EXPECT_FALSE(KeyExists("R"));
  EXPECT_FALSE(tool.RemoveKey(UserKey(Key("R"))));
  // An unknown root is refused, never taken for another hive.
  EXPECT_FALSE(tool.RemoveKeyByPath("HKEY_NOWHERE\\" + Key("V")));
  EXPECT_FALSE(tool.RemoveKey(TKeyAddress{platform::kNoKey, Key("V")}));
  EXPECT_FALSE(tool.SetStringValue(TKeyAddress{platform::kNoKey, Key("V")}, "z", "s"));
  EXPECT_TRUE(KeyExists("V"));
  EXPECT_TRUE(tool.RemoveValue(UserKey(Key("V")), "@"));
  EXPECT_FALSE(tool.RemoveValue(UserKey(Key("V")), "@"));
  EXPECT_TRUE(tool.SetStringValue(UserKey(Key("V")), "%B%", "e"));
  EXPECT_TRUE(tool.SetStringValue(UserKey(Key("V")), "x\r\ny\r\n", "m"));
  EXPECT_FALSE(tool.SetStringValue(UserKey(Key("V")), "z", "b"));
  EXPECT_TRUE(tool.SetStringValue(UserKey(Key("New")), "fresh", "s"));
  auto snapshot = Snapshot();
  EXPECT_EQ(snapshot["V"].count(""), 0u);
  EXPECT_EQ(snapshot["V"]["e"], (test::StoredValue{platform::kRegExpandSz, "%B%\0"s}));
  EXPECT_EQ(snapshot["V"]["m"], (test::StoredValue{platform::kRegMultiSz, "x\0y\0\0"s}));
  EXPECT_EQ(snapshot["V"]["b"], (test::StoredValue{platform::kRegBinary, "\x01"s}));
  EXPECT_EQ(snapshot["New"]["s"], (test::StoredValue{platform::kRegSz, "fresh\0"s}));
  const std::string file = WorkFolder() + "gone.txt";
  ASSERT_TRUE(platform::Files().WriteWholeFile(file, "x"));
  EXPECT_TRUE(tool.RemoveFile(file));
  EXPECT_FALSE(FileExists(file));
}

}  // namespace
}  // namespace vp::backup
