// Day numbers, date texts and local times.
#include "extra/calendar.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>

#include "support/scoped_time_zone.h"

namespace kilnbook {
namespace {

TEST(CalendarTest, DayNumbersAndTexts) {
  struct Case {
    CivilDate date;
    int64_t day;
    const char* text;
  } cases[] = {
      {{1970, 1, 1}, 0, "1970-01-01"},
      {{1969, 12, 31}, -1, "1969-12-31"},
      {{2000, 2, 29}, 11016, "2000-02-29"},
      {{2000, 3, 1}, 11017, "2000-03-01"},
      {{2026, 12, 7}, 20794, "2026-12-07"},
      {{2100, 3, 1}, 47541, "2100-03-01"},  // 2100 is no leap year
      {{1, 1, 1}, -719162, "0001-01-01"},
      {{9999, 12, 31}, 2932896, "9999-12-31"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(DayNumber(c.date), c.day) << c.text;
    CivilDate back = DateOfDay(c.day);
    EXPECT_EQ(back.year, c.date.year) << c.text;
    EXPECT_EQ(back.month, c.date.month) << c.text;
    EXPECT_EQ(back.day, c.date.day) << c.text;
    EXPECT_EQ(DayText(c.day), c.text);
    EXPECT_EQ(ParseDayText(c.text), c.day) << c.text;
  }
}

TEST(CalendarTest, OnlyExistingDatesParse) {
  const char* bad[] = {"2026-02-29", "2026-13-01", "2026-00-10", "2026-04-31",
                       "0000-01-01", "2026-1-01",  "2026/01/01", "+026-01-01",
                       "2026-01-0x", "",           "2026-01-011"};
  for (const char* text : bad) {
    EXPECT_EQ(ParseDayText(text), std::nullopt) << text;
  }
  EXPECT_EQ(ParseDayText("2024-02-29"), DayNumber({2024, 2, 29}));
}

TEST(CalendarTest, LocalTimesFollowTheTimeZone) {
  // 2026-12-07 23:30:00 UTC.
  std::time_t time = DayNumber({2026, 12, 7}) * 86400 + 23 * 3600 + 30 * 60;
  {
    ScopedTimeZone zone("UTC0");
    EXPECT_EQ(LocalDayNumber(time), DayNumber({2026, 12, 7}));
    EXPECT_EQ(LocalMinuteText(time), "2026-12-07 23:30");
    EXPECT_EQ(LocalIsoText(time), "2026-12-07T23:30:00+00:00");
  }
  {
    ScopedTimeZone zone("XST-1");  // one hour east: already the next day
    EXPECT_EQ(LocalDayNumber(time), DayNumber({2026, 12, 8}));
    EXPECT_EQ(LocalMinuteText(time), "2026-12-08 00:30");
    EXPECT_EQ(LocalIsoText(time), "2026-12-08T00:30:00+01:00");
  }
  {
    ScopedTimeZone zone("XST+3:30");
    EXPECT_EQ(LocalIsoText(time), "2026-12-07T20:00:00-03:30");
  }
}

}  // namespace
}  // namespace kilnbook
