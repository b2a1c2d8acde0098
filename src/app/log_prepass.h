// Moves the finished games of a game-server log into kilnbook.tmp. The log
// itself is left as it is until the games are saved (RewriteLog).
#ifndef KILNBOOK_APP_LOG_PREPASS_H_
#define KILNBOOK_APP_LOG_PREPASS_H_

#include <cstdint>
#include <optional>
#include <string>

#include "store/run_journal.h"

namespace kilnbook {

// What the pre-pass found in a log.
struct LogSplit {
  // True when kilnbook.tmp may be counted.
  bool countable = false;
  // The finished games in kilnbook.tmp.
  uint64_t games = 0;
  // How the log is to be rewritten once its games are saved; nothing when it
  // needs no change.
  std::optional<LogRewrite> rewrite;
};

// A section of the log runs up to and including a line that ends a game
// (EndsGame) and its line feed. Afterwards kilnbook.tmp holds every finished
// section, each followed by one empty line, and kilnbook.dmp what the log is
// to keep: the unfinished tail, one empty line after its whole lines, and
// the line the game server is still writing (a last line without its line
// feed, which ends no game) untouched at the very end. Lines of any length
// are copied byte for byte, carriage returns included.
//
// A missing log is created empty and gives an empty kilnbook.tmp.
//
// When the log cannot be read to its end, or cannot be rewritten later
// (no write permission), or kilnbook.tmp or kilnbook.dmp cannot be written
// completely, kilnbook.tmp is emptied where possible, "Failed to rewrite
// logfile: %s\n" is printed with `logPath`, and nothing is countable: the
// log keeps every line.
LogSplit SplitLogToTemp(const std::string& logPath);

}  // namespace kilnbook

#endif  // KILNBOOK_APP_LOG_PREPASS_H_
