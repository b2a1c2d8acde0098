// Moves the finished games of a game-server log into kilnbook.tmp. The log
// itself is left as it is until the games are saved (RewriteLog).
#ifndef KILNBOOK_APP_LOG_PREPASS_H_
#define KILNBOOK_APP_LOG_PREPASS_H_

#include <optional>
#include <string>

#include "store/run_journal.h"

namespace kilnbook {

// A section of the log runs up to and including a line that contains
// "ShutdownGame:". Afterwards kilnbook.tmp holds every finished section, each
// followed by one empty line, and kilnbook.dmp the rest (the unfinished tail
// plus one empty line, or nothing when there is no tail). Lines of any
// length are copied byte for byte, carriage returns included.
//
// Returns true when kilnbook.tmp may be counted; `rewrite` then says how the
// log is to be rewritten once its games are saved (nothing when it needs no
// change). A missing log is created empty and gives an empty kilnbook.tmp.
//
// When the log cannot be read to its end, or cannot be rewritten later
// (no write permission), or kilnbook.tmp or kilnbook.dmp cannot be written
// completely, kilnbook.tmp is emptied where possible, "Failed to rewrite
// logfile: %s\n" is printed with `logPath`, and the result is false: the
// log keeps every line and nothing may be counted.
bool SplitLogToTemp(const std::string& logPath,
                    std::optional<LogRewrite>& rewrite);

}  // namespace kilnbook

#endif  // KILNBOOK_APP_LOG_PREPASS_H_
