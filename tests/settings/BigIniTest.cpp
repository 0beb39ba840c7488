#include <gtest/gtest.h>

#include <filesystem>
#include <map>

#include "platform/FileSystem.h"
#include "platform/Platform.h"
#include "platform/sim/SimSystem.h"
#include "settings/BigIni.h"
#include "support/ScratchFolder.h"
#include "support/TestSupport.h"

namespace vp {
namespace {

// Files kept in memory, with a write counter and switchable failures.
class MemoryAccess : public IniFileAccess {
 public:
  ReadResult Read(const std::string& path, std::string& bytes) const override {
    if (failRead) return ReadResult::Failed;
    auto it = files.find(path);
    if (it == files.end()) return ReadResult::Missing;
    bytes = it->second;
    return ReadResult::Loaded;
  }
  bool Replace(const std::string& path, std::string_view bytes) override {
    ++writes;
    if (failReplace) return false;
    files[path] = std::string(bytes);
    return true;
  }
  std::map<std::string, std::string> files;
  int writes = 0;
  bool failRead = false, failReplace = false;
};

TEST(BigIniTest, LoadRulesAsWrittenBack) {
  struct Case {
    const char* what;
    std::string input, written;
  };
  const Case cases[] = {
      {"later duplicate dropped", "[A]\r\nx=1\r\n[B]\r\ny=2\r\n[a]\r\nx=2\r\n",
       "[A]\r\nx=1\r\n\r\n[B]\r\ny=2\r\n\r\n"},
      {"Latin-1 names compare through the system", "[\xC4]\r\nx=1\r\n[\xE4]\r\nx=2\r\n",
       "[\xC4]\r\nx=1\r\n\r\n"},
      {"lines before the first section", "top=1\r\n[S]\r\nk=v\r\n", "[S]\r\nk=v\r\n\r\n"},
      {"LF and lone CR end lines", "[S]\nk=v\rk2=v2\r\n\r\n\n", "[S]\r\nk=v\r\nk2=v2\r\n\r\n"},
      {"Ctrl-Z line dropped", "[S]\r\nk=v\r\n\x1A\r\n\x1Ax\r\n\x1A", "[S]\r\nk=v\r\n\x1Ax\r\n\r\n"},
      {"lines kept verbatim", "[ S ]\r\n;c=1\r\nplain\r\nk = v \r\n[\r\n",
       "[ S ]\r\n;c=1\r\nplain\r\nk = v \r\n[\r\n\r\n"},
      {"empty sections not written", "[E]\r\n[]\r\nk=v\r\n[F]\r\n", "[]\r\nk=v\r\n\r\n"},
  };
  for (const auto& c : cases) {
    TBigIniFile ini;
    ini.LoadText(c.input);
    EXPECT_EQ(ini.FileText(), c.written) << c.what;
  }
}

TEST(BigIniTest, Reads) {
  TBigIniFile ini;
  ini.LoadText(
      "[A]\r\nx=1\r\nKey = Value\r\nhex=0x1F\r\nbad=12abc\r\ntwo=2\r\nzero=0\r\nbig=2147483648\r\n"
      "max=$FFFFFFFF\r\nsp= 5\r\n=anon\r\nplain\r\nx=second\r\nTrue=True\r\n[B]\r\nx=b\r\n");
  EXPECT_EQ(ini.ReadString("a", "X", "d"), "1");
  EXPECT_EQ(ini.ReadString("A", "Key", "d"), "d");
  EXPECT_EQ(ini.ReadString("A", "Key ", "d"), " Value");
  EXPECT_EQ(ini.ReadString("A", "", "d"), "anon");
  EXPECT_EQ(ini.ReadString("A", "plain", "d"), "d");
  EXPECT_EQ(ini.ReadString("B", "x", "d"), "b");
  EXPECT_EQ(ini.ReadString("C", "x", "d"), "d");

  struct IntCase {
    std::string key;
    int32_t expected;
  };
  const IntCase integers[] = {{"hex", 31}, {"bad", 99}, {"two", 2},  {"big", 99},
                              {"max", -1}, {"sp", 5},   {"nope", 99}};
  for (const auto& c : integers) EXPECT_EQ(ini.ReadInteger("A", c.key, 99), c.expected) << c.key;
  EXPECT_TRUE(ini.ReadBool("A", "two", false));
  EXPECT_FALSE(ini.ReadBool("A", "zero", true));
  EXPECT_TRUE(ini.ReadBool("A", "bad", true));
  EXPECT_FALSE(ini.ReadBool("A", "True", false));  // not a number

  StringList keys;
  ini.ReadSection("a", keys);
  EXPECT_EQ(keys.size(), 12u);  // "plain" has no key
  EXPECT_FALSE(ini.Changed());

  int32_t value = 0;
  EXPECT_TRUE(ParseIniInteger("-2147483648", value));
  EXPECT_EQ(value, INT32_MIN);
  EXPECT_TRUE(ParseIniInteger("-$10", value));
  EXPECT_EQ(value, -16);
  for (const char* bad : {"-2147483649", "$100000000", "7 ", "", "-", "$", "1.5"})
    EXPECT_FALSE(ParseIniInteger(bad, value)) << bad;
}

TEST(BigIniTest, WritesChangeOnlyWhatDiffers) {
  struct Case {
    const char* what;
    void (*edit)(TBigIniFile&);
    std::string written;  // empty: nothing changed, nothing written
  };
  const std::string original = "top=lost\r\n[S]\r\nk=v\r\nn=1\r\n[T]\r\nonly=1\r\n";
  const Case cases[] = {
      {"same value", [](TBigIniFile& i) { i.WriteString("s", "k", "v"); }, ""},
      {"same integer", [](TBigIniFile& i) { i.WriteInteger("S", "n", 1); }, ""},
      {"missing key and section",
       [](TBigIniFile& i) {
         i.DeleteKey("V", "k");
         i.EraseSection("W");
       },
       ""},
      {"key case differs", [](TBigIniFile& i) { i.WriteString("S", "K", "v"); },
       "[S]\r\nK=v\r\nn=1\r\n\r\n[T]\r\nonly=1\r\n\r\n"},
      {"appended, new section at the end",
       [](TBigIniFile& i) {
         i.WriteBool("T", "b", true);
         i.WriteInteger("U", "i", -3);
       },
       "[S]\r\nk=v\r\nn=1\r\n\r\n[T]\r\nonly=1\r\nb=1\r\n\r\n[U]\r\ni=-3\r\n\r\n"},
      {"DeleteKey of the last line", [](TBigIniFile& i) { i.DeleteKey("T", "ONLY"); },
       "[S]\r\nk=v\r\nn=1\r\n\r\n"},
      {"empty key erases", [](TBigIniFile& i) { i.WriteString("s", "", ""); }, "[T]\r\nonly=1\r\n\r\n"},
      {"line breaks stay in one line", [](TBigIniFile& i) { i.WriteString("T", "a\nb", "1\r\n[X]\r\ny=2"); },
       "[S]\r\nk=v\r\nn=1\r\n\r\n[T]\r\nonly=1\r\na b=1  [X]  y=2\r\n\r\n"},
  };
  for (const auto& c : cases) {
    MemoryAccess access;
    access.files["C:\\x.dat"] = original;
    {
      TBigIniFile ini("C:\\x.dat", &access);
      c.edit(ini);
      EXPECT_EQ(ini.Changed(), !c.written.empty()) << c.what;
    }  // written back on destruction
    EXPECT_EQ(access.writes, c.written.empty() ? 0 : 1) << c.what;
    EXPECT_EQ(access.files["C:\\x.dat"], c.written.empty() ? original : c.written) << c.what;
  }
}

TEST(BigIniTest, FailedWritesKeepTheFileAndThePendingChanges) {
  MemoryAccess access;
  access.files["C:\\x.dat"] = "[S]\r\nk=old\r\n";
  TBigIniFile ini("C:\\x.dat", &access);
  ini.WriteString("S", "k", "new");
  access.failReplace = true;
  EXPECT_FALSE(ini.FlushFile());
  EXPECT_TRUE(ini.Changed());
  EXPECT_EQ(access.files["C:\\x.dat"], "[S]\r\nk=old\r\n");
  access.failReplace = false;
  ini.WriteString("", "", "");  // flushes
  EXPECT_EQ(access.files["C:\\x.dat"], "[S]\r\nk=new\r\n\r\n");

  // A file that exists but cannot be read is never overwritten.
  access.failRead = true;
  EXPECT_FALSE(ini.SetFileName("C:\\x.dat"));
  ini.WriteString("S", "other", "1");
  EXPECT_FALSE(ini.FlushFile());
  access.failRead = false;
  EXPECT_FALSE(ini.SetFileName("C:\\x.dat"));  // the pending change is reported lost
  EXPECT_EQ(ini.ReadString("S", "k", ""), "new");
  EXPECT_EQ(access.writes, 2);
}

// Counts the system's name comparisons.
class CountingSystem : public platform::sim::SimSystem {
 public:
  int CompareTextNoCase(std::string_view a, std::string_view b) const override {
    ++comparisons;
    return SimSystem::CompareTextNoCase(a, b);
  }
  mutable int comparisons = 0;
};

TEST(BigIniTest, SectionLookupResumesAtTheLastHit) {
  constexpr int kSections = 200;
  std::string text;
  for (int i = 0; i < kSections; ++i)
    text += "[S" + std::to_string(i) + "]\r\nk=" + std::to_string(i) + "\r\n";
  TBigIniFile ini;
  ini.LoadText(text);
  CountingSystem counting;
  const platform::Services previous = platform::Current();
  platform::Services services = previous;
  services.system = &counting;
  platform::Install(services);
  int wrong = 0;
  for (int i = 0; i < kSections; ++i)
    wrong += ini.ReadString("S" + std::to_string(i), "k", "") != std::to_string(i);
  platform::Install(previous);
  EXPECT_EQ(wrong, 0);
  // The next section costs two section comparisons and one key comparison;
  // searching from the first section every time would cost ~20000.
  EXPECT_LE(counting.comparisons, 3 * kSections + 2);
}

using test::HostFileBytes;

TEST(BigIniFileTest, OnDisk) {
  test::ScratchFolder scratch;
  scratch.PutFile("a.dat", "lost\n[Main]\nName=One\n");
  scratch.PutFile("same.dat", "kept before any section\n[S]\nk=v\n");
  const auto before = platform::Files().ModifiedTime(scratch.Path("same.dat"));
  {
    TBigIniFile ini(scratch.Path("a.dat"));
    ini.WriteString("Main", "Count", "3");
    EXPECT_TRUE(ini.FlushFile());
    EXPECT_TRUE(ini.SetFileName(scratch.Path("same.dat")));
    ini.WriteString("S", "k", "v");
    EXPECT_TRUE(ini.SetFileName(scratch.Path("absent.dat")));
    EXPECT_EQ(ini.ReadString("S", "k", "d"), "d");
  }
  EXPECT_EQ(HostFileBytes(scratch.Host("a.dat")), "[Main]\r\nName=One\r\nCount=3\r\n\r\n");
  EXPECT_EQ(HostFileBytes(scratch.Host("same.dat")), "kept before any section\n[S]\nk=v\n");
  EXPECT_EQ(platform::Files().ModifiedTime(scratch.Path("same.dat")), before);
  int entries = 0;  // no temporary file left beside them, no empty file made
  for ([[maybe_unused]] const auto& entry : std::filesystem::directory_iterator(scratch.Host())) ++entries;
  EXPECT_EQ(entries, 2);
}

TEST(BigIniFileTest, FailedWriteOnDiskLeavesTheOriginalWhole) {
  test::ScratchFolder scratch;
  scratch.PutFile("ro.dat", "[S]\r\nk=old\r\n");
  const std::string path = scratch.Path("ro.dat");
  ASSERT_TRUE(platform::Files().SetAttributes(path, platform::kAttrReadOnly));
  TBigIniFile ini(path);
  ini.WriteString("S", "k", "new");
  EXPECT_FALSE(ini.FlushFile());
  EXPECT_EQ(HostFileBytes(scratch.Host("ro.dat")), "[S]\r\nk=old\r\n");
  ASSERT_TRUE(platform::Files().SetAttributes(path, platform::kAttrNormal));
  EXPECT_TRUE(ini.FlushFile());
  EXPECT_EQ(HostFileBytes(scratch.Host("ro.dat")), "[S]\r\nk=new\r\n\r\n");

  TBigIniFile lost(scratch.Path("no folder\\x.dat"));
  lost.WriteString("S", "k", "v");
  EXPECT_FALSE(lost.FlushFile());
  EXPECT_FALSE(std::filesystem::exists(scratch.Host("no folder")));
}

}  // namespace
}  // namespace vp
