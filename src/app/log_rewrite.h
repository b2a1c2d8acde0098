// Takes the counted games out of a log once they are saved, in place: the
// game server keeps the log open for appending across our run.
#ifndef KILNBOOK_APP_LOG_REWRITE_H_
#define KILNBOOK_APP_LOG_REWRITE_H_

#include <functional>

#include "store/run_journal.h"

namespace kilnbook {

// Makes `rewrite` durable in the server's journal; false when it could not.
using RewriteSaver = std::function<bool(const LogRewrite& rewrite)>;

// Truncates the log and writes `rewrite.head` back, followed by the lines the
// game server appended since the split (which are also appended to
// kilnbook.dmp, so that it holds what the log received). Whenever the plan
// has to change before the truncation (lines were appended) or is not in a
// journal yet (`journaled` false), it goes through `save` first, so that a
// crash after the truncation leaves enough to finish the write-back. When
// nothing was counted and nothing appended, only the empty line is appended
// and no journal is needed.
//
// With `knownIntact` false (finishing an interrupted run) the log is looked
// at first: still holding the counted games, truncated and partly written
// back, or done. A log that was replaced by another file is left alone.
// False when the log could not be rewritten; the plan (as saved) still says
// how to finish.
bool RewriteLog(LogRewrite& rewrite, bool knownIntact, bool journaled,
                const RewriteSaver& save);

}  // namespace kilnbook

#endif  // KILNBOOK_APP_LOG_REWRITE_H_
