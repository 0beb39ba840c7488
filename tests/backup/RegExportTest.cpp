#include <gtest/gtest.h>

#include "backup/BackupFixture.h"
#include "registry/RegExport.h"
#include "registry/RegExportText.h"
#include "support/RegistryTestSupport.h"
#include "support/SimHost.h"

namespace vp::backup {
namespace {

using vp::test::UserKey;

using namespace std::string_literals;
using platform::kHkeyCurrentUser;

class RegExportTest : public test::BackupFixture {};

TEST_F(RegExportTest, MissingOrUnreadableEntriesFailWithoutOutput) {
  Put("A", "v", platform::kRegSz, "x\0"s);
  ExportText out{"kept", "[H]"};
  const std::string a = ScratchKey() + "\\A";
  EXPECT_FALSE(ExportValue(UserKey(a), "absent", out));
  EXPECT_FALSE(ExportValue(UserKey(ScratchKey() + "\\Nope"), "v", out));
  EXPECT_FALSE(ExportKeyTree(UserKey(ScratchKey() + "\\Nope\\"), out));
  Put("A", "line\r\nbreak", platform::kRegSz, "x\0"s);
  EXPECT_FALSE(ExportValue(UserKey(a), "line\r\nbreak", out));
  EXPECT_FALSE(ExportKeyTree(UserKey(a + "\\"), out));
  EXPECT_EQ(out.text, "kept");
  EXPECT_EQ(out.header, "[H]");
}

// A name with no exact 8-bit form fails the export instead of being left out.
TEST(RegExportSim, EntriesThatCannotBeNamedFailTheExport) {
  for (const bool foreignKey : {false, true}) {
    SCOPED_TRACE(foreignKey ? "foreign key" : "foreign value");
    vp::test::SimHost machine{{.mapDriveC = false}};
    auto& registry = machine.Machine().Registry();
    platform::RegHandle key = platform::kNoKey;
    ASSERT_EQ(registry.CreateKey(kHkeyCurrentUser, "Software\\T\\Sub", platform::kKeyAllAccess, key),
              platform::kErrorSuccess);
    registry.CloseKey(key);
    ExportText out{"kept", "[H]"};
    ASSERT_TRUE(ExportKeyTree(UserKey("Software\\T\\"), out));
    out = ExportText{"kept", "[H]"};
    ASSERT_TRUE(foreignKey ? registry.AddForeignKey(kHkeyCurrentUser, "Software\\T\\Sub")
                           : registry.AddForeignValue(kHkeyCurrentUser, "Software\\T\\Sub"));
    EXPECT_FALSE(ExportKeyTree(UserKey("Software\\T\\"), out));
    EXPECT_EQ(out.text, "kept");
  }
}

TEST_F(RegExportTest, KeyTreePutsEveryKeyAfterItsSubKeys) {
  Put("T", "a", platform::kRegSz, "1\0"s);
  Put("T\\S1", "b", platform::kRegExpandSz, "%X%\0"s);
  Put("T\\S1\\Deep", "", platform::kRegMultiSz, "ab\0\0"s);
  Put("T\\S2", "q", platform::kRegQword, "\x01\x02\x03\x04\x05\x06\x07\x08"s);
  ExportText out;
  const std::string t = "[HKEY_CURRENT_USER\\" + ScratchKey() + "\\T\\";
  ASSERT_TRUE(ExportKeyTree(UserKey(ScratchKey() + "\\T\\"), out));
  EXPECT_EQ(out.text, "\r\n" + t + "S1\\Deep\\]\r\n\r\n@=hex(7):61,00,62,00,00,00,00,00\r\n" +    //
                          "\r\n" + t + "S1\\]\r\n\r\n\"b\"=hex(2):25,00,58,00,25,00,00,00\r\n" +  //
                          "\r\n" + t + "S2\\]\r\n\r\n\"q\"=hex(b):01,02,03,04,05,06,07,08\r\n" +  //
                          "\r\n" + t + "]\r\n\"a\"=\"1\"\r\n");
}

TEST_F(RegExportTest, KeepAliveRunsEveryHundredSubKeys) {
  for (int i = 0; i < 201; ++i) Put("Many\\K" + std::to_string(1000 + i), "", platform::kRegSz, "\0"s);
  int calls = 0;
  KeyTreeExport how;
  how.keepAlive = [&] { ++calls; };
  ExportText out;
  ASSERT_TRUE(ExportKeyTree(UserKey(ScratchKey() + "\\Many\\"), out, how));
  EXPECT_EQ(calls, 3);
}

}  // namespace
}  // namespace vp::backup
