#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "platform/sim/ShellLinkFile.h"
#include "platform/sim/VersionResource.h"
#include "support/ShellFixtures.h"
#include "support/TestSupport.h"

// The simulation's readers of shortcut files and version resources on
// damaged copies of real files: a damaged file is refused or read as the
// whole one, never read past its end (the sanitizer builds run these too).
namespace vp::platform::sim {
namespace {

bool operator==(const ShortcutTarget& a, const ShortcutTarget& b) {
  return a.path == b.path && a.arguments == b.arguments;
}

bool operator==(const FileVersionInfo& a, const FileVersionInfo& b) {
  return a.translation == b.translation && a.strings == b.strings;
}

// Every cut of the file is refused or read the same as the whole; every
// byte overwritten in turn with 0x00 and 0xFF is read without a fault.
template <typename Parse>
void CheckDamagedCopies(const std::string& bytes, Parse parse) {
  const auto whole = parse(bytes);
  ASSERT_TRUE(whole.has_value());
  for (size_t length = 0; length < bytes.size(); ++length) {
    auto cut = parse(bytes.substr(0, length));
    if (cut) {
      EXPECT_TRUE(*cut == *whole) << "cut at " << length;
    }
  }
  std::string damaged = bytes;
  for (size_t at = 0; at < bytes.size(); ++at) {
    for (char value : {'\0', '\xFF'}) {
      damaged[at] = value;
      (void)parse(damaged);
    }
    damaged[at] = bytes[at];
  }
}

TEST(ShellLinkFile, DamagedShortcuts) {
  for (const auto& fixture : test::kShortcutFixtures) {
    SCOPED_TRACE(fixture.file);
    CheckDamagedCopies(test::HostFileBytes(test::DataPath(std::string("shortcuts/") + fixture.file)),
                       ParseShellLink);
  }
}

void PutU32(std::string& bytes, size_t at, uint32_t value) {
  for (int i = 0; i < 4; ++i) bytes[at + i] = static_cast<char>((value >> (8 * i)) & 0xFF);
}

TEST(ShellLinkFile, LinkInformationOutOfBounds) {
  const std::string bytes = test::HostFileBytes(test::DataPath("shortcuts/tool.lnk"));
  ASSERT_TRUE(ParseShellLink(bytes).has_value());
  // The link information follows the header and the item-ID list.
  const size_t info =
      0x4C + 2 + (static_cast<unsigned char>(bytes[0x4C]) | static_cast<unsigned char>(bytes[0x4D]) << 8);
  const struct {
    const char* what;
    size_t at;
    uint32_t value;
  } cases[] = {
      {"size beyond the file", info, 0x7FFFFFFF},
      {"header larger than the record", info + 4, 0x1000},
      {"local path beyond the record", info + 16, 0x1000},
      {"suffix beyond the record", info + 24, 0xFFFFFFF0},
      {"no kind of path", info + 8, 0},
      {"header size", 0, 0x4D},
  };
  for (const auto& c : cases) {
    std::string damaged = bytes;
    PutU32(damaged, c.at, c.value);
    EXPECT_FALSE(ParseShellLink(damaged).has_value()) << c.what;
  }
}

TEST(VersionResource, DamagedProgramFiles) {
  if (test::BuiltFixturePath("Versioned.exe").empty()) GTEST_SKIP() << "built without mingw-w64";
  for (const char* file : {"Versioned.exe", "Untranslated.exe"}) {
    SCOPED_TRACE(file);
    CheckDamagedCopies(test::HostFileBytes(test::BuiltFixturePath(file)), ParseVersionResource);
  }
}

TEST(VersionResource, BrokenHeadersAndBlocks) {
  if (test::BuiltFixturePath("Versioned.exe").empty()) GTEST_SKIP() << "built without mingw-w64";
  const std::string bytes = test::HostFileBytes(test::BuiltFixturePath("Versioned.exe"));
  ASSERT_TRUE(ParseVersionResource(bytes).has_value());
  const size_t pe = static_cast<unsigned char>(bytes[0x3C]) | static_cast<unsigned char>(bytes[0x3D]) << 8;
  // The root block starts 6 bytes before its key.
  const std::string key("V\0S\0_\0V\0E\0R\0S\0I\0O\0N\0_\0I\0N\0F\0O\0", 30);
  const size_t root = bytes.find(key) - 6;
  const struct {
    const char* what;
    size_t at;
    uint32_t value;
  } cases[] = {
      {"no MZ", 0, 0x00005A00},
      {"PE header beyond the file", 0x3C, 0x7FFFFFF0},
      {"no PE signature", pe, 0x00004551},
      {"too many sections", pe + 4,
       0xFFFF0000 |
           (static_cast<unsigned char>(bytes[pe + 4]) | static_cast<unsigned char>(bytes[pe + 5]) << 8)},
      {"unknown optional header", pe + 24, 0x0000020C},
      {"root block of length 0", root, 0x00340000},
      {"root block beyond the resource", root, 0x0034FFFF},
  };
  for (const auto& c : cases) {
    std::string damaged = bytes;
    PutU32(damaged, c.at, c.value);
    EXPECT_FALSE(ParseVersionResource(damaged).has_value()) << c.what;
  }
}

}  // namespace
}  // namespace vp::platform::sim
