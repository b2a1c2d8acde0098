#include "log/log_parser.h"

#include <cstdio>
#include <memory>

#include "log/keyword_handlers.h"
#include "log/line_reader.h"

namespace kilnbook {

namespace {

// Every line starts with the server's time column, e.g. "  1:23 ".
constexpr size_t kTimeColumnWidth = 7;

struct FileCloser {
  void operator()(FILE* file) const { std::fclose(file); }
};

using UniqueFile = std::unique_ptr<FILE, FileCloser>;

}  // namespace

bool LogParser::Parse(const std::string& path, const EventSink& sink) const {
  // Read-only: a missing log is reported, never created.
  UniqueFile file(std::fopen(path.c_str(), "rb"));
  if (file == nullptr) {
    std::printf("Failed to open logfile: %s\n", path.c_str());
    return false;
  }
  LineReader reader(file.get());
  std::string_view line;
  while (reader.Next(line)) {
    // Lines up to the width of the time column cannot carry a keyword and
    // give no event at all.
    if (line.size() > kTimeColumnWidth) {
      sink(ParseLine(line));
    }
  }
  return !reader.Failed();
}

std::vector<LogEvent> LogParser::Parse(const std::string& path) const {
  std::vector<LogEvent> events;
  Parse(path, [&events](const LogEvent& event) { events.push_back(event); });
  return events;
}

LogEvent LogParser::ParseLine(std::string_view line) {
  std::string_view rest =
      line.size() > kTimeColumnWidth ? line.substr(kTimeColumnWidth) : "";
  size_t colon = rest.find(':');
  if (colon == std::string_view::npos) {
    return LogEvent();
  }
  int index = FindKeyword(rest.substr(0, colon + 1));
  if (index < 0) {
    return LogEvent();
  }
  return kKeywordTable[static_cast<size_t>(index)].handler(
      rest.substr(colon + 1));
}

int LogParser::FindKeyword(std::string_view word) {
  for (size_t i = 0; i < kKeywordTable.size(); ++i) {
    if (kKeywordTable[i].keyword == word) {
      return static_cast<int>(i);
    }
  }
  return -1;
}

}  // namespace kilnbook
