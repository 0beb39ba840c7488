#include <gtest/gtest.h>

#include <set>

#include "backup/SetLayout.h"
#include "core/Clock.h"

namespace vp::backup {
namespace {

TEST(Clock, FormatsPictures) {
  const LocalTime t{2026, 1, 5, 15, 4, 9, 250};
  LocaleFormats formats;
  struct Case {
    const char* picture;
    const char* expected;
  };
  const Case cases[] = {
      {"M/d/yyyy", "1/5/2026"},
      {"dd.MM.yyyy", "05.01.2026"},
      {"yy-MM-dd", "26-01-05"},
      {"dddd, MMMM d, yyyy", "Monday, January 5, 2026"},
      {"ddd MMM", "Mon Jan"},
      {"h:mm:ss tt", "3:04:09 PM"},
      {"HH:mm:ss", "15:04:09"},
      {"H 'h' m 'min''s'", "15 h 4 min's"},
      {"t", "P"},
  };
  for (const auto& c : cases) EXPECT_EQ(FormatPicture(c.picture, t, formats), c.expected) << c.picture;
  EXPECT_EQ(FormatPicture("hh tt", LocalTime{2026, 1, 5, 0, 0, 0, 0}, formats), "12 AM");
}

TEST(Clock, DateTimeLeavesTimeOutAtMidnightOnly) {
  LocaleFormats formats;
  EXPECT_EQ(FormatDateTime({2026, 1, 5, 0, 0, 0, 0}, formats), "1/5/2026");
  EXPECT_EQ(FormatDateTime({2026, 1, 5, 0, 0, 1, 0}, formats), "1/5/2026 12:00:01 AM");
  formats.shortDate = "dd.MM.yyyy";
  formats.longTime = "HH:mm:ss";
  EXPECT_EQ(FormatDateTime({2026, 12, 31, 23, 59, 59, 0}, formats), "31.12.2026 23:59:59");
}

TEST(Clock, DayNumbersAndTheirText) {
  struct Case {
    LocalTime t;
    char separator;
    const char* expected;
  };
  const Case cases[] = {
      {{1899, 12, 30, 0, 0, 0, 0}, '.', "0"},
      {{1899, 12, 31, 6, 0, 0, 0}, ',', "1,25"},
      {{1900, 1, 1, 0, 0, 0, 0}, '.', "2"},
      {{2000, 2, 29, 12, 0, 0, 0}, '.', "36585.5"},
      {{2026, 1, 5, 11, 0, 0, 500}, '.', "46027.4583391204"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(FloatText(DayNumber(c.t), c.separator), c.expected) << c.expected;
  }
}

TEST(SetLayout, IndexTextHasTheEightLines) {
  IndexInfo info;
  info.programVersion = "1.2";
  info.description = "Removed\r\nTypeCode=7";
  info.typeCode = 3;
  info.setId = std::string(40, 'A');
  info.now = {2026, 1, 5, 11, 0, 0, 500};
  EXPECT_EQ(IndexText(info),
            "[Header]\r\n"
            "ProgVersion=1.2\r\n"
            "SyntaxVersion=1.4\r\n"
            "DateTime=1/5/2026 11:00:00 AM\r\n"
            "DateTimeEx=46027.4583391204\r\n"
            "Text=Removed  TypeCode=7\r\n"
            "TypeCode=3\r\n"
            "ID=AAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAA\r\n");
}

TEST(SetLayout, PickSetFolderIsBoundedAndFindsTheLastFreeName) {
  struct Case {
    const char* what;
    std::set<uint32_t> taken;
    uint32_t draw;
    const char* expected;  // null: none free
  };
  std::set<uint32_t> allButLast;
  for (uint32_t n = 0; n + 1 < kSetNameCount; ++n) allButLast.insert(n);
  std::set<uint32_t> all = allButLast;
  all.insert(kSetNameCount - 1);
  const Case cases[] = {
      {"random name free", {}, 0x1F, "B\\00001F\\"},
      {"random always taken, first free in order", {0, 1, 5}, 5, "B\\000002\\"},
      {"only the last name free", allButLast, 17, "B\\00270F\\"},
      {"every name taken", all, 17, nullptr},
  };
  for (const auto& c : cases) {
    size_t probes = 0;
    auto exists = [&](const std::string& folder) {
      ++probes;
      return c.taken.count(static_cast<uint32_t>(std::stoul(folder.substr(2), nullptr, 16))) > 0;
    };
    auto random = [&](uint32_t limit) {
      EXPECT_EQ(limit, kSetNameCount);
      return c.draw;
    };
    auto folder = PickSetFolder("B\\", exists, random);
    if (c.expected) {
      ASSERT_TRUE(folder.has_value()) << c.what;
      EXPECT_EQ(*folder, c.expected) << c.what;
    } else {
      EXPECT_FALSE(folder.has_value()) << c.what;
    }
    EXPECT_LE(probes, kRandomSetNameDraws + kSetNameCount) << c.what;
  }
}

}  // namespace
}  // namespace vp::backup
