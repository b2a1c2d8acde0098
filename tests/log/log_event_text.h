// A one-line text of every field of a LogEvent, so that a failed comparison
// shows all fields of both events side by side.
#ifndef KILNBOOK_TESTS_LOG_LOG_EVENT_TEXT_H_
#define KILNBOOK_TESTS_LOG_LOG_EVENT_TEXT_H_

#include <string>

#include "log/log_event.h"
#include "log/number_text.h"

namespace kilnbook {

inline std::string LogEventText(const LogEvent& event) {
  std::string out = "kind=" + NumberText(static_cast<int32_t>(event.kind));
  const struct {
    const char* label;
    int32_t value;
  } numbers[] = {
      {"redScore", event.redScore}, {"blueScore", event.blueScore},
      {"slot", event.slot},         {"ping", event.ping},
      {"score", event.score},       {"killer", event.killer},
      {"victim", event.victim},     {"meansOfDeath", event.meansOfDeath},
  };
  for (const auto& number : numbers) {
    if (number.value != UNSET) {
      out += std::string(" ") + number.label + "=" + NumberText(number.value);
    }
  }
  const struct {
    const char* label;
    const std::string& value;
  } texts[] = {
      {"name", event.name},           {"htmlName", event.htmlName},
      {"plainName", event.plainName}, {"model", event.model},
      {"head", event.head},
  };
  for (const auto& text : texts) {
    if (!text.value.empty()) {
      out += std::string(" ") + text.label + "=[" + text.value + "]";
    }
  }
  return out;
}

// An event of `kind` with every other field at its default.
inline LogEvent EventOfKind(LogEventKind kind) {
  LogEvent event;
  event.kind = kind;
  return event;
}

}  // namespace kilnbook

#endif  // KILNBOOK_TESTS_LOG_LOG_EVENT_TEXT_H_
