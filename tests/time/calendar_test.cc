// Day numbers, date texts and local times.
#include "time/calendar.h"

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
      {{1970, 1, 1}, 0, "1970-01-01"},      {{1969, 12, 31}, -1, "1969-12-31"},
      {{2000, 2, 29}, 11016, "2000-02-29"}, {{2100, 3, 1}, 47541, "2100-03-01"},
      {{1, 1, 1}, -719162, "0001-01-01"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(DayNumber(c.date), c.day) << c.text;
    EXPECT_EQ(DayText(c.day), c.text);
    EXPECT_EQ(ParseDayText(c.text), c.day) << c.text;
  }
  for (const char* bad : {"2026-02-29", "2026-13-01", "2026-04-31",
                          "0000-01-01", "2026-1-01", "+026-01-01"}) {
    EXPECT_EQ(ParseDayText(bad), std::nullopt) << bad;
  }
}

TEST(CalendarTest, LocalTimesFollowTheTimeZone) {
  std::time_t time = DayNumber({2026, 12, 7}) * 86400 + 23 * 3600 + 30 * 60;
  ScopedTimeZone east("XST-1");  // 23:30 UTC is already the next day here
  EXPECT_EQ(LocalDayNumber(time), DayNumber({2026, 12, 8}));
  EXPECT_EQ(LocalMinuteText(time), "2026-12-08 00:30");
  EXPECT_EQ(LocalIsoText(time), "2026-12-08T00:30:00+01:00");
  ScopedTimeZone west("XST+3:30");
  EXPECT_EQ(LocalIsoText(time), "2026-12-07T20:00:00-03:30");
}

}  // namespace
}  // namespace kilnbook
