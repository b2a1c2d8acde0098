#include "time/calendar.h"

#include <cstdio>

namespace kilnbook {

namespace {

// Floor division, for days before the epoch.
int64_t FloorDiv(int64_t a, int64_t b) {
  return a / b - ((a % b != 0) && ((a < 0) != (b < 0)) ? 1 : 0);
}

std::optional<std::tm> LocalTime(std::time_t time) {
  std::tm local{};
  if (localtime_r(&time, &local) == nullptr) {
    return std::nullopt;
  }
  return local;
}

bool IsDigits(std::string_view text) {
  for (char c : text) {
    if (c < '0' || c > '9') {
      return false;
    }
  }
  return !text.empty();
}

int DigitsValue(std::string_view text) {
  int value = 0;
  for (char c : text) {
    value = value * 10 + (c - '0');
  }
  return value;
}

}  // namespace

// Days from civil: the year is shifted to start in March, so that the leap
// day ends it, and counted in eras of 400 years (146097 days).
int64_t DayNumber(const CivilDate& date) {
  int64_t year = date.year - (date.month <= 2 ? 1 : 0);
  int64_t era = FloorDiv(year, 400);
  int64_t yearOfEra = year - era * 400;
  int64_t month = date.month;
  int64_t dayOfYear =
      (153 * (month > 2 ? month - 3 : month + 9) + 2) / 5 + date.day - 1;
  int64_t dayOfEra =
      yearOfEra * 365 + yearOfEra / 4 - yearOfEra / 100 + dayOfYear;
  return era * 146097 + dayOfEra - 719468;
}

CivilDate DateOfDay(int64_t dayNumber) {
  int64_t z = dayNumber + 719468;
  int64_t era = FloorDiv(z, 146097);
  int64_t dayOfEra = z - era * 146097;
  int64_t yearOfEra =
      (dayOfEra - dayOfEra / 1460 + dayOfEra / 36524 - dayOfEra / 146096) / 365;
  int64_t dayOfYear =
      dayOfEra - (365 * yearOfEra + yearOfEra / 4 - yearOfEra / 100);
  int64_t shiftedMonth = (5 * dayOfYear + 2) / 153;
  CivilDate date;
  date.day = static_cast<int>(dayOfYear - (153 * shiftedMonth + 2) / 5 + 1);
  date.month =
      static_cast<int>(shiftedMonth < 10 ? shiftedMonth + 3 : shiftedMonth - 9);
  date.year = yearOfEra + era * 400 + (date.month <= 2 ? 1 : 0);
  return date;
}

std::optional<int64_t> LocalDayNumber(std::time_t time) {
  std::optional<std::tm> local = LocalTime(time);
  if (!local) {
    return std::nullopt;
  }
  return DayNumber(
      {int64_t{local->tm_year} + 1900, local->tm_mon + 1, local->tm_mday});
}

std::string DayText(int64_t dayNumber) {
  CivilDate date = DateOfDay(dayNumber);
  char buffer[48];
  std::snprintf(buffer, sizeof buffer, "%04lld-%02d-%02d",
                static_cast<long long>(date.year), date.month, date.day);
  return buffer;
}

std::optional<int64_t> ParseDayText(std::string_view text) {
  if (text.size() != 10 || text[4] != '-' || text[7] != '-') {
    return std::nullopt;
  }
  std::string_view year = text.substr(0, 4);
  std::string_view month = text.substr(5, 2);
  std::string_view day = text.substr(8, 2);
  if (!IsDigits(year) || !IsDigits(month) || !IsDigits(day)) {
    return std::nullopt;
  }
  CivilDate date{DigitsValue(year), DigitsValue(month), DigitsValue(day)};
  if (date.year < 1 || date.month < 1 || date.month > 12 || date.day < 1) {
    return std::nullopt;
  }
  int64_t dayNumber = DayNumber(date);
  // A day past the end of its month comes back as another date.
  CivilDate back = DateOfDay(dayNumber);
  if (back.month != date.month || back.day != date.day) {
    return std::nullopt;
  }
  return dayNumber;
}

std::string LocalMinuteText(std::time_t time) {
  std::optional<std::tm> local = LocalTime(time);
  if (!local) {
    return {};
  }
  char buffer[64];
  std::snprintf(buffer, sizeof buffer, "%04lld-%02d-%02d %02d:%02d",
                static_cast<long long>(local->tm_year) + 1900,
                local->tm_mon + 1, local->tm_mday, local->tm_hour,
                local->tm_min);
  return buffer;
}

std::string LocalIsoText(std::time_t time) {
  std::optional<std::tm> local = LocalTime(time);
  if (!local) {
    return {};
  }
  long offset = local->tm_gmtoff / 60;  // minutes east of UTC
  char sign = offset < 0 ? '-' : '+';
  if (offset < 0) {
    offset = -offset;
  }
  char buffer[80];
  std::snprintf(buffer, sizeof buffer,
                "%04lld-%02d-%02dT%02d:%02d:%02d%c%02ld:%02ld",
                static_cast<long long>(local->tm_year) + 1900,
                local->tm_mon + 1, local->tm_mday, local->tm_hour,
                local->tm_min, local->tm_sec, sign, offset / 60, offset % 60);
  return buffer;
}

}  // namespace kilnbook
