#include "log/log_parser.h"

#include <array>
#include <cstdint>
#include <cstdio>
#include <memory>

#include "log/keyword_handlers.h"
#include "log/line_fields.h"
#include "log/line_reader.h"

namespace kilnbook {

namespace {

struct FileCloser {
  void operator()(FILE* file) const { std::fclose(file); }
};

using UniqueFile = std::unique_ptr<FILE, FileCloser>;

// No two keywords have both the same length and the same three low bits of
// their first byte, so those pick the one keyword a word can be; a table
// of them spares comparing every line with every keyword.
constexpr size_t kShapeLengths = 32;

constexpr size_t ShapeOf(size_t length, char first) {
  return length * 8 + (static_cast<unsigned char>(first) & 7);
}

constexpr std::array<int8_t, kShapeLengths* 8> kKeywordByShape = [] {
  std::array<int8_t, kShapeLengths * 8> table{};
  table.fill(-1);
  for (size_t i = 0; i < kKeywordTable.size(); ++i) {
    std::string_view keyword = kKeywordTable[i].keyword;
    table[ShapeOf(keyword.size(), keyword[0])] = static_cast<int8_t>(i);
  }
  return table;
}();

constexpr bool ShapesAreDistinct() {
  for (size_t i = 0; i < kKeywordTable.size(); ++i) {
    std::string_view keyword = kKeywordTable[i].keyword;
    if (keyword.size() >= kShapeLengths ||
        kKeywordByShape[ShapeOf(keyword.size(), keyword[0])] !=
            static_cast<int8_t>(i)) {
      return false;
    }
  }
  return true;
}

static_assert(ShapesAreDistinct(), "two keywords share a table slot");

}  // namespace

bool LogParser::Parse(const std::string& path, const EventSink& sink) const {
  return Parse(
      path, [&sink](std::string_view, const LogEvent& event) { sink(event); });
}

bool LogParser::Parse(const std::string& path, const LineSink& sink) const {
  // Read-only: a missing log is reported, never created.
  UniqueFile file(std::fopen(path.c_str(), "rb"));
  if (file == nullptr) {
    std::printf("Failed to open logfile: %s\n", path.c_str());
    return false;
  }
  LineReader reader(file.get());
  std::string_view line;
  LogEvent event;
  while (reader.Next(line)) {
    // Lines up to the width of the time column cannot carry a keyword and
    // give no event at all.
    if (line.size() > kTimeColumnWidth) {
      ParseLine(line, event);
      sink(line, event);
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
  LogEvent event;
  ParseLine(line, event);
  return event;
}

void LogParser::ParseLine(std::string_view line, LogEvent& event) {
  std::string_view rest =
      line.size() > kTimeColumnWidth ? line.substr(kTimeColumnWidth) : "";
  size_t colon = rest.find(':');
  int index = colon == std::string_view::npos
                  ? -1
                  : FindKeyword(rest.substr(0, colon + 1));
  if (index < 0) {
    event.Reset(LogEventKind::Unrecognized);
    return;
  }
  kKeywordTable[static_cast<size_t>(index)].handler(rest.substr(colon + 1),
                                                    event);
}

int LogParser::FindKeyword(std::string_view word) {
  if (word.empty() || word.size() >= kShapeLengths) {
    return -1;
  }
  int index = kKeywordByShape[ShapeOf(word.size(), word[0])];
  if (index < 0 || kKeywordTable[static_cast<size_t>(index)].keyword != word) {
    return -1;
  }
  return index;
}

}  // namespace kilnbook
