#include <gtest/gtest.h>

#include <climits>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>

#include "platform/FileSystem.h"
#include "platform/Platform.h"
#include "platform/sim/SimSystem.h"
#include "settings/BigIni.h"
#include "support/ScratchFolder.h"

namespace vp {
namespace {

// Files kept in memory, with counters and switchable failures.
class MemoryAccess : public IniFileAccess {
 public:
  ReadResult Read(const std::string& path, std::string& bytes) const override {
    ++reads;
    if (failRead) return ReadResult::Failed;
    auto it = files.find(path);
    if (it == files.end()) return ReadResult::Missing;
    bytes = it->second;
    return ReadResult::Loaded;
  }
  bool Replace(const std::string& path, std::string_view bytes) override {
    ++replaceCalls;
    if (failReplace) return false;
    files[path] = std::string(bytes);
    return true;
  }

  std::map<std::string, std::string> files;
  mutable int reads = 0;
  int replaceCalls = 0;
  bool failRead = false;
  bool failReplace = false;
};

std::string Rewritten(std::string_view input) {
  MemoryAccess access;
  TBigIniFile ini({}, &access);
  ini.LoadText(input);
  return ini.FileText();
}

TEST(BigIniTest, LoadRulesAsWrittenBack) {
  struct Case {
    const char* what;
    std::string input, written;
  };
  const Case cases[] = {
      {"duplicate section, other case", "[A]\r\nx=1\r\n[a]\r\nx=2\r\n", "[A]\r\nx=1\r\n\r\n"},
      {"three of one name, first wins", "[A]\r\n1=1\r\n[B]\r\n2=2\r\n[a]\r\n3=3\r\n[A]\r\n4=4\r\n",
       "[A]\r\n1=1\r\n\r\n[B]\r\n2=2\r\n\r\n"},
      {"Latin-1 names compare through the system", "[\xC4]\r\nx=1\r\n[\xE4]\r\nx=2\r\n",
       "[\xC4]\r\nx=1\r\n\r\n"},
      {"lines before the first section", "top=1\r\n;note\r\n[S]\r\nk=v\r\n", "[S]\r\nk=v\r\n\r\n"},
      {"LF and lone CR end lines", "[S]\nk=v\rk2=v2\r\n", "[S]\r\nk=v\r\nk2=v2\r\n\r\n"},
      {"empty lines dropped", "[S]\r\n\r\n\n\r\nk=v\r\n\r\n", "[S]\r\nk=v\r\n\r\n"},
      {"Ctrl-Z line dropped, Ctrl-Z text kept", "[S]\r\nk=v\r\n\x1A\r\n\x1Ax\r\n\x1A",
       "[S]\r\nk=v\r\n\x1Ax\r\n\r\n"},
      {"comments and lines without = kept", "[S]\r\n;c=1\r\nplain\r\n", "[S]\r\n;c=1\r\nplain\r\n\r\n"},
      {"section name kept exactly", "[ S x ]\r\nk = v \r\n", "[ S x ]\r\nk = v \r\n\r\n"},
      {"empty section not written", "[E]\r\n[S]\r\nk=v\r\n[F]\r\n", "[S]\r\nk=v\r\n\r\n"},
      {"empty name is a section", "[]\r\nk=v", "[]\r\nk=v\r\n\r\n"},
      {"a lone bracket is a line", "[S]\r\n[\r\n]\r\n", "[S]\r\n[\r\n]\r\n\r\n"},
      {"nothing", "", ""},
  };
  for (const auto& c : cases) EXPECT_EQ(Rewritten(c.input), c.written) << c.what;
}

TEST(BigIniTest, Reads) {
  MemoryAccess access;
  TBigIniFile ini({}, &access);
  ini.LoadText(
      "[A]\r\nx=1\r\nKey = Value\r\nhex=0x1F\r\nHEX2=0X1f\r\nbad=12abc\r\ntwo=2\r\nzero=0\r\nneg=-7\r\n"
      "big=2147483648\r\nhexmax=$FFFFFFFF\r\nsp= 5\r\ntrail=5 \r\nempty=\r\n=anon\r\nplain\r\n"
      ";x=comment\r\nx=second\r\nTrue=True\r\n[B]\r\nx=b\r\n");
  struct StringCase {
    std::string section, key, expected;
  };
  const StringCase strings[] = {
      {"A", "x", "1"},       {"a", "X", "1"},      {"A", "Key", "def"},    {"A", "Key ", " Value"},
      {"A", "nope", "def"},  {"Z", "x", "def"},    {"A", "empty", ""},     {"A", "", "anon"},
      {"A", "plain", "def"}, {";x", "x", "def"},   {"A", ";x", "comment"}, {"B", "x", "b"},
      {"b", "X", "b"},       {"A", "hex", "0x1F"},
  };
  for (const auto& c : strings)
    EXPECT_EQ(ini.ReadString(c.section, c.key, "def"), c.expected) << c.section << "/" << c.key;

  struct IntCase {
    std::string key;
    int32_t expected;
  };
  const IntCase integers[] = {
      {"hex", 31}, {"HEX2", 31},  {"bad", 99},   {"two", 2},   {"neg", -7}, {"big", 99}, {"hexmax", -1},
      {"sp", 5},   {"trail", 99}, {"empty", 99}, {"nope", 99}, {"x", 1},    {"Key", 99},
  };
  for (const auto& c : integers) EXPECT_EQ(ini.ReadInteger("A", c.key, 99), c.expected) << c.key;

  struct BoolCase {
    std::string key;
    bool def, expected;
  };
  const BoolCase bools[] = {
      {"two", false, true},   {"zero", true, false}, {"nope", true, true},
      {"nope", false, false}, {"bad", true, true},   {"True", false, false},  // not a number
  };
  for (const auto& c : bools) EXPECT_EQ(ini.ReadBool("A", c.key, c.def), c.expected) << c.key;

  StringList keys;
  ini.ReadSection("a", keys);
  ASSERT_EQ(keys.size(), 17u);  // "plain" has no key
  EXPECT_EQ(keys[1], "Key ");
  EXPECT_EQ(keys[13], "");
  StringList lines;
  ini.ReadSectionValues("B", lines);
  EXPECT_EQ(lines, StringList{"x=b"});
  StringList sections;
  ini.ReadSections(sections);
  EXPECT_EQ(sections, (StringList{"A", "B"}));
  EXPECT_FALSE(ini.Changed());
}

TEST(BigIniTest, ParseIniInteger) {
  struct Case {
    std::string text;
    bool valid;
    int32_t value;
  };
  const Case cases[] = {
      {"0", true, 0},
      {"2147483647", true, INT32_MAX},
      {"-2147483648", true, INT32_MIN},
      {"2147483648", false, 0},
      {"-2147483649", false, 0},
      {"$80000000", true, INT32_MIN},
      {"$100000000", false, 0},
      {"-$10", true, -16},
      {"+5", true, 5},
      {"  7", true, 7},
      {"7 ", false, 0},
      {"", false, 0},
      {"-", false, 0},
      {"$", false, 0},
      {"$1g", false, 0},
      {"1.5", false, 0},
      {"99999999999999999999999", false, 0},
  };
  for (const auto& c : cases) {
    int32_t value = 0;
    EXPECT_EQ(ParseIniInteger(c.text, value), c.valid) << c.text;
    if (c.valid) {
      EXPECT_EQ(value, c.value) << c.text;
    }
  }
}

TEST(BigIniTest, WritesChangeOnlyWhatDiffers) {
  struct Case {
    const char* what;
    void (*edit)(TBigIniFile&);
    bool changed;
    std::string written;  // when changed
  };
  const std::string original = "top=lost\r\n[S]\r\nk=v\r\nn=1\r\n[T]\r\nonly=1\r\n";
  const Case cases[] = {
      {"same value", [](TBigIniFile& i) { i.WriteString("s", "k", "v"); }, false, ""},
      {"same integer", [](TBigIniFile& i) { i.WriteInteger("S", "n", 1); }, false, ""},
      {"key case differs", [](TBigIniFile& i) { i.WriteString("S", "K", "v"); }, true,
       "[S]\r\nK=v\r\nn=1\r\n\r\n[T]\r\nonly=1\r\n\r\n"},
      {"new value", [](TBigIniFile& i) { i.WriteString("S", "k", "w"); }, true,
       "[S]\r\nk=w\r\nn=1\r\n\r\n[T]\r\nonly=1\r\n\r\n"},
      {"new key appended", [](TBigIniFile& i) { i.WriteBool("T", "b", true); }, true,
       "[S]\r\nk=v\r\nn=1\r\n\r\n[T]\r\nonly=1\r\nb=1\r\n\r\n"},
      {"new section at the end", [](TBigIniFile& i) { i.WriteInteger("U", "i", -3); }, true,
       "[S]\r\nk=v\r\nn=1\r\n\r\n[T]\r\nonly=1\r\n\r\n[U]\r\ni=-3\r\n\r\n"},
      {"DeleteKey of the last line", [](TBigIniFile& i) { i.DeleteKey("T", "ONLY"); }, true,
       "[S]\r\nk=v\r\nn=1\r\n\r\n"},
      {"DeleteKey of a missing key", [](TBigIniFile& i) { i.DeleteKey("S", "none"); }, false, ""},
      {"DeleteKey in a missing section", [](TBigIniFile& i) { i.DeleteKey("V", "k"); }, false, ""},
      {"empty key and value erase", [](TBigIniFile& i) { i.WriteString("s", "", ""); }, true,
       "[T]\r\nonly=1\r\n\r\n"},
      {"empty key with a value erases", [](TBigIniFile& i) { i.WriteString("T", "", "x"); }, true,
       "[S]\r\nk=v\r\nn=1\r\n\r\n"},
      {"EraseSection of a missing one", [](TBigIniFile& i) { i.EraseSection("V"); }, false, ""},
      {"line breaks stay in one line", [](TBigIniFile& i) { i.WriteString("T", "a\nb", "1\r\n[X]\r\ny=2"); },
       true, "[S]\r\nk=v\r\nn=1\r\n\r\n[T]\r\nonly=1\r\na b=1  [X]  y=2\r\n\r\n"},
  };
  for (const auto& c : cases) {
    MemoryAccess access;
    access.files["C:\\x.dat"] = original;
    {
      TBigIniFile ini("C:\\x.dat", &access);
      c.edit(ini);
      EXPECT_EQ(ini.Changed(), c.changed) << c.what;
      EXPECT_TRUE(ini.FlushFile()) << c.what;
      EXPECT_FALSE(ini.Changed()) << c.what;
    }
    EXPECT_EQ(access.replaceCalls, c.changed ? 1 : 0) << c.what;
    EXPECT_EQ(access.files["C:\\x.dat"], c.changed ? c.written : original) << c.what;
  }
}

TEST(BigIniTest, DeleteKeyCreatesAnEmptySectionThatIsNotWritten) {
  MemoryAccess access;
  TBigIniFile ini({}, &access);
  ini.DeleteKey("New", "k");
  StringList sections;
  ini.ReadSections(sections);
  EXPECT_EQ(sections, StringList{"New"});
  EXPECT_EQ(ini.FileText(), "");
}

TEST(BigIniTest, EmptySectionKeyAndValueFlush) {
  MemoryAccess access;
  TBigIniFile ini("C:\\x.dat", &access);
  ini.WriteString("S", "k", "v");
  EXPECT_EQ(access.replaceCalls, 0);
  ini.WriteString("", "", "");
  EXPECT_EQ(access.replaceCalls, 1);
  EXPECT_EQ(access.files["C:\\x.dat"], "[S]\r\nk=v\r\n\r\n");
}

TEST(BigIniTest, FailedWriteKeepsFileAndPendingChanges) {
  MemoryAccess access;
  access.files["C:\\x.dat"] = "[S]\r\nk=old\r\n";
  TBigIniFile ini("C:\\x.dat", &access);
  ini.WriteString("S", "k", "new");
  access.failReplace = true;
  EXPECT_FALSE(ini.FlushFile());
  EXPECT_TRUE(ini.Changed());
  EXPECT_EQ(access.files["C:\\x.dat"], "[S]\r\nk=old\r\n");
  EXPECT_EQ(ini.ReadString("S", "k", ""), "new");
  access.failReplace = false;
  EXPECT_TRUE(ini.FlushFile());
  EXPECT_EQ(access.files["C:\\x.dat"], "[S]\r\nk=new\r\n\r\n");
}

TEST(BigIniTest, UnreadableFileIsNeverOverwritten) {
  MemoryAccess access;
  access.files["C:\\x.dat"] = "[S]\r\nmany=settings\r\n";
  access.failRead = true;
  {
    TBigIniFile ini("C:\\x.dat", &access);
    EXPECT_EQ(ini.ReadString("S", "many", "default"), "default");
    ini.WriteString("S", "k", "v");
    EXPECT_FALSE(ini.FlushFile());
    EXPECT_EQ(access.replaceCalls, 0);
    // Once the file reads again, the store starts from its content; the
    // change that could not be written is reported lost.
    access.failRead = false;
    EXPECT_FALSE(ini.SetFileName("C:\\x.dat"));
    EXPECT_EQ(ini.ReadString("S", "many", ""), "settings");
  }
  EXPECT_EQ(access.files["C:\\x.dat"], "[S]\r\nmany=settings\r\n");
}

TEST(BigIniTest, RebindingAndDestructionWritePendingChanges) {
  MemoryAccess access;
  access.files["C:\\b.dat"] = "[B]\r\nb=1\r\n";
  {
    TBigIniFile ini("C:\\a.dat", &access);
    ini.WriteString("A", "a", "1");
    EXPECT_TRUE(ini.SetFileName("C:\\b.dat"));
    EXPECT_EQ(ini.ReadString("A", "a", "none"), "none");
    EXPECT_EQ(ini.ReadString("B", "b", ""), "1");
    ini.WriteString("B", "c", "2");
  }
  EXPECT_EQ(access.files["C:\\a.dat"], "[A]\r\na=1\r\n\r\n");
  EXPECT_EQ(access.files["C:\\b.dat"], "[B]\r\nb=1\r\nc=2\r\n\r\n");
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
  std::string text;
  constexpr int kSections = 200;
  for (int i = 0; i < kSections; ++i)
    text += "[S" + std::to_string(i) + "]\r\nk=" + std::to_string(i) + "\r\n";
  MemoryAccess access;
  TBigIniFile ini({}, &access);
  ini.LoadText(text);

  CountingSystem counting;
  const platform::Services previous = platform::Current();
  platform::Services services = previous;
  services.system = &counting;
  platform::Install(services);
  bool allRead = true;
  for (int pass = 0; pass < 2; ++pass)
    for (int i = 0; i < kSections; ++i)
      allRead &= ini.ReadString("S" + std::to_string(i), "k", "") == std::to_string(i);
  platform::Install(previous);

  EXPECT_TRUE(allRead);
  // Reading the next section costs two section comparisons and one key
  // comparison (plus the wrap to the start); a search from the first section
  // every time would need ~40000.
  EXPECT_LE(counting.comparisons, 2 * 3 * kSections + 4);
}

// ---------------------------------------------------------------- on disk

std::string HostBytes(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

TEST(BigIniFileTest, RoundTripOnDisk) {
  test::ScratchFolder scratch;
  scratch.PutFile("Settings.dat", "lost\n[Main]\nName=One\n[main]\nName=Two\n");
  {
    TBigIniFile ini(scratch.Path("Settings.dat"));
    EXPECT_EQ(ini.ReadString("MAIN", "name", ""), "One");
    ini.WriteString("Main", "Count", "3");
    EXPECT_TRUE(ini.FlushFile());
  }
  EXPECT_EQ(HostBytes(scratch.Host("Settings.dat")), "[Main]\r\nName=One\r\nCount=3\r\n\r\n");
  // Only the file itself is left in the folder: no temporary beside it.
  int entries = 0;
  for ([[maybe_unused]] const auto& entry : std::filesystem::directory_iterator(scratch.Host())) ++entries;
  EXPECT_EQ(entries, 1);
}

TEST(BigIniFileTest, UnchangedStoreLeavesFileUntouched) {
  test::ScratchFolder scratch;
  const std::string original = "kept before any section\n[S]\nk=v\n";
  scratch.PutFile("x.dat", original);
  const auto before = platform::Files().ModifiedTime(scratch.Path("x.dat"));
  ASSERT_TRUE(before.has_value());
  {
    TBigIniFile ini(scratch.Path("x.dat"));
    ini.WriteString("S", "k", "v");
    ini.EraseSection("missing");
    EXPECT_TRUE(ini.FlushFile());
  }
  EXPECT_EQ(HostBytes(scratch.Host("x.dat")), original);
  EXPECT_EQ(platform::Files().ModifiedTime(scratch.Path("x.dat")), before);
}

TEST(BigIniFileTest, MissingFileIsAnEmptyStore) {
  test::ScratchFolder scratch;
  TBigIniFile ini;
  EXPECT_TRUE(ini.SetFileName(scratch.Path("absent.dat")));
  EXPECT_EQ(ini.ReadString("S", "k", "d"), "d");
  EXPECT_TRUE(ini.FlushFile());
  EXPECT_FALSE(std::filesystem::exists(scratch.Host("absent.dat")));
}

TEST(BigIniFileTest, FailedWriteLeavesOriginalWhole) {
  test::ScratchFolder scratch;
  const std::string original = "[S]\r\nk=old\r\n";
  scratch.PutFile("ro.dat", original);
  const std::string path = scratch.Path("ro.dat");
  ASSERT_TRUE(platform::Files().SetAttributes(path, platform::kAttrReadOnly));
  TBigIniFile ini(path);
  ini.WriteString("S", "k", "new");
  EXPECT_FALSE(ini.FlushFile());
  EXPECT_EQ(HostBytes(scratch.Host("ro.dat")), original);
  ASSERT_TRUE(platform::Files().SetAttributes(path, platform::kAttrNormal));
  EXPECT_TRUE(ini.FlushFile());
  EXPECT_EQ(HostBytes(scratch.Host("ro.dat")), "[S]\r\nk=new\r\n\r\n");
}

TEST(BigIniFileTest, WriteIntoMissingFolderFails) {
  test::ScratchFolder scratch;
  TBigIniFile ini(scratch.Path("no folder\\x.dat"));
  ini.WriteString("S", "k", "v");
  EXPECT_FALSE(ini.FlushFile());
  EXPECT_TRUE(ini.Changed());
  EXPECT_FALSE(std::filesystem::exists(scratch.Host("no folder")));
}

}  // namespace
}  // namespace vp
