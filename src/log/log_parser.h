// Turns a game-server log into LogEvent records, one per line that is long
// enough to carry a keyword.
#ifndef KILNBOOK_LOG_LOG_PARSER_H_
#define KILNBOOK_LOG_LOG_PARSER_H_

#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "log/log_event.h"

namespace kilnbook {

class LogParser {
 public:
  using EventSink = std::function<void(const LogEvent&)>;
  // Also given the line itself (time column included, no line feed).
  using LineSink = std::function<void(std::string_view line, const LogEvent&)>;

  // Reads `path` line by line (lines of any length) and hands the event of
  // every line longer than the seven-byte time column to `sink`, in line
  // order, one at a time: memory does not grow with the log. The event is
  // valid during the call only: one record serves every line. When the file
  // cannot be opened, prints "Failed to open logfile: %s\n" with `path` and
  // returns false. Also returns false, silently, when reading fails part way
  // (the events of the lines read before are already handed out), so that a
  // caller never takes a cut-short log for a whole one.
  bool Parse(const std::string& path, const EventSink& sink) const;
  bool Parse(const std::string& path, const LineSink& sink) const;

  // All events of `path` in one list; for small files and tests.
  std::vector<LogEvent> Parse(const std::string& path) const;

  // The event of one line: the time column is skipped, the word up to the
  // first colon picks the keyword handler. Never fails: a line without a
  // known keyword gives an Unrecognized event.
  static LogEvent ParseLine(std::string_view line);

  // The same, written into `event`, whose strings keep their storage.
  static void ParseLine(std::string_view line, LogEvent& event);

  // The keyword table index of `word` (keyword with its colon), or -1.
  static int FindKeyword(std::string_view word);
};

}  // namespace kilnbook

#endif  // KILNBOOK_LOG_LOG_PARSER_H_
