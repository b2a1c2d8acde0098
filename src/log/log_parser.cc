#include "log/log_parser.h"

#include <cstdio>

namespace kilnbook {

// Placeholder until the keyword handlers land: every line is unrecognised.
bool LogParser::Parse(const std::string& path, const EventSink& sink) const {
  (void)sink;
  FILE* file = std::fopen(path.c_str(), "rb");
  if (file == nullptr) {
    std::printf("Failed to open logfile: %s\n", path.c_str());
    return false;
  }
  std::fclose(file);
  return true;
}

std::vector<LogEvent> LogParser::Parse(const std::string& path) const {
  std::vector<LogEvent> events;
  Parse(path, [&events](const LogEvent& event) { events.push_back(event); });
  return events;
}

LogEvent LogParser::ParseLine(std::string_view /*line*/) { return LogEvent(); }

int LogParser::FindKeyword(std::string_view /*word*/) { return -1; }

}  // namespace kilnbook
