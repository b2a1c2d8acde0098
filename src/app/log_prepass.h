// Moves the finished games of a game-server log into kilnbook.tmp and leaves
// the unfinished one in the log.
#ifndef KILNBOOK_APP_LOG_PREPASS_H_
#define KILNBOOK_APP_LOG_PREPASS_H_

#include <functional>
#include <string>

namespace kilnbook {

// A section of the log runs up to and including a line that contains
// "ShutdownGame:". Afterwards kilnbook.tmp holds every finished section, each
// followed by one empty line; the log and kilnbook.dmp hold the rest (the
// unfinished tail plus one empty line, or nothing when there is no tail),
// followed by whatever the game server appended to the log meanwhile. Lines
// of any length are copied byte for byte, carriage returns included. The log
// is truncated and rewritten in place, never replaced, because the game
// server keeps it open for appending.
//
// A missing log is created empty and gives an empty kilnbook.tmp.
//
// All or nothing: when the log cannot be read to its end, or kilnbook.tmp or
// kilnbook.dmp cannot be written completely, or the log cannot be truncated,
// the log keeps every line it had, kilnbook.tmp is emptied where possible,
// "Failed to rewrite logfile: %s\n" is printed with `logPath`, and the result
// is false: nothing in kilnbook.tmp may be counted. Once the log has been
// truncated the sections in kilnbook.tmp are its only copy and the result is
// true, even when writing the tail back fails (which is retried once from
// kilnbook.dmp, and reported with the same message).
//
// `beforeRewrite`, when set, is called after kilnbook.tmp and kilnbook.dmp
// are complete and before the log is read for the last time and truncated;
// tests append to the log there.
bool SplitLogToTemp(const std::string& logPath,
                    const std::function<void()>& beforeRewrite = nullptr);

}  // namespace kilnbook

#endif  // KILNBOOK_APP_LOG_PREPASS_H_
