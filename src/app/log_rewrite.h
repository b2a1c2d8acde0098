// Takes the counted games out of a log once they are saved, in place: the
// game server keeps the log open and appends to it at any instant, often in
// blocks that cut lines, while a run reads and rewrites it.
#ifndef KILNBOOK_APP_LOG_REWRITE_H_
#define KILNBOOK_APP_LOG_REWRITE_H_

#include <functional>

#include "store/run_journal.h"

namespace kilnbook {

// Makes a changed plan durable in the server's journal; false when it could
// not.
using RewriteSaver = std::function<bool(const LogRewrite& plan)>;

enum class RewriteResult {
  kRewritten,
  kUnchanged,  // there was nothing (more) to do
  kLeftAlone,  // the path now leads to another file, or none: not ours
  kFailed,     // the plan, as last saved, still says how to finish
};

// The rewrite of a log whose games were counted, right after the save that
// recorded `plan` in the journal. In the log's own bytes, never moving the
// game server's bytes before the head:
//   1. lines the server appended since the split join the head (a new
//      journal record through `save`);
//   2. the marker is written into the part of the log to be cut, and synced;
//   3. the head is written over the counted games, in place;
//   4. lines appended meanwhile are moved up behind the head, in place, as
//      long as they fit before the marker (else back to 1), and synced;
//   5. the moment the log is seen not to have grown, it is cut after the
//      head.
// Only a line written in the instant between that look and the cut is lost.
// A log that is another file now, or was cut by someone else since the
// split, is left alone.
RewriteResult RewriteLog(LogRewrite& plan, const RewriteSaver& save);

// Finishes the rewrite of an interrupted run from the plan its journal holds:
// a log still holding the marker (or, before any was written, the counted
// games) is rewritten as above, with the server's bytes taken from where it
// wrote them, never guessed from their content; a log without them was cut
// already and is not touched.
RewriteResult FinishRewrite(LogRewrite& plan, const RewriteSaver& save);

// No game was counted: the log's whole lines get the run's empty line after
// them, unless the game server is writing a line (the log does not end with
// a line feed), which no line may cut.
RewriteResult AddEmptyLine(const LogRewrite& plan);

}  // namespace kilnbook

#endif  // KILNBOOK_APP_LOG_REWRITE_H_
