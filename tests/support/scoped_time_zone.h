// Sets the time zone for the lifetime of an object, for tests that turn
// times into local dates.
#ifndef KILNBOOK_TESTS_SUPPORT_SCOPED_TIME_ZONE_H_
#define KILNBOOK_TESTS_SUPPORT_SCOPED_TIME_ZONE_H_

#include <cstdlib>
#include <ctime>
#include <optional>
#include <string>

namespace kilnbook {

class ScopedTimeZone {
 public:
  // `zone` is a TZ value such as "UTC0" or "CET-1CEST,M3.5.0,M10.5.0/3".
  explicit ScopedTimeZone(const char* zone) {
    if (const char* previous = std::getenv("TZ")) {
      previous_ = previous;
    }
    setenv("TZ", zone, 1);
    tzset();
  }
  ~ScopedTimeZone() {
    if (previous_) {
      setenv("TZ", previous_->c_str(), 1);
    } else {
      unsetenv("TZ");
    }
    tzset();
  }
  ScopedTimeZone(const ScopedTimeZone&) = delete;
  ScopedTimeZone& operator=(const ScopedTimeZone&) = delete;

 private:
  std::optional<std::string> previous_;
};

}  // namespace kilnbook

#endif  // KILNBOOK_TESTS_SUPPORT_SCOPED_TIME_ZONE_H_
