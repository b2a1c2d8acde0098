// Calendar days and local times, for whatever is kept by date: days are
// counted as whole numbers (0 is 1970-01-01 of the proleptic Gregorian
// calendar), so that history can step and compare them without a time zone.
#ifndef KILNBOOK_TIME_CALENDAR_H_
#define KILNBOOK_TIME_CALENDAR_H_

#include <cstdint>
#include <ctime>
#include <optional>
#include <string>
#include <string_view>

namespace kilnbook {

struct CivilDate {
  int64_t year = 1970;
  int month = 1;  // 1 to 12
  int day = 1;    // 1 to 31
};

// The day number of a date; days past the end of a month roll over into
// the next one.
int64_t DayNumber(const CivilDate& date);

// The date of a day number.
CivilDate DateOfDay(int64_t dayNumber);

// The day number of the local date at `time`; nothing when the time cannot
// be converted to local time.
std::optional<int64_t> LocalDayNumber(std::time_t time);

// "YYYY-MM-DD" of a day number.
std::string DayText(int64_t dayNumber);

// The day number of "YYYY-MM-DD" with a year from 0001 to 9999 and a date
// that exists; nothing for any other text.
std::optional<int64_t> ParseDayText(std::string_view text);

// "YYYY-MM-DD HH:MM" in local time; empty when `time` cannot be converted.
std::string LocalMinuteText(std::time_t time);

// ISO 8601 local time with the offset from UTC, "2026-12-07T09:05:00+01:00";
// empty when `time` cannot be converted.
std::string LocalIsoText(std::time_t time);

}  // namespace kilnbook

#endif  // KILNBOOK_TIME_CALENDAR_H_
