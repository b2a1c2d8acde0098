// Saving a server's files and taking its counted games out of its log as one
// step, whatever stops the run.
#ifndef KILNBOOK_APP_SERVER_SAVE_H_
#define KILNBOOK_APP_SERVER_SAVE_H_

#include <optional>
#include <string>
#include <vector>

#include "store/run_journal.h"

namespace kilnbook {

// The order of a save that counted games:
//   1. every changed file is written beside its target and synced;
//   2. the journal (kilnbook.journal in the server directory) records the
//      new files' digests and how the log is to be rewritten, and is synced:
//      from here on the save happens, in this run or the next;
//   3. the new files are renamed over their targets;
//   4. the log is truncated and its unfinished game written back (RewriteLog);
//   5. the journal is removed.
// A run that stops before 2 leaves the old files and the whole log: the
// games are counted by the next run. A run that stops after 2 is finished by
// the next one (FinishInterruptedSave) before anything else touches the log.
// Without counted games there is nothing to lose: each file is replaced on
// its own and the log gets its empty line.
class ServerSave {
 public:
  enum class Outcome {
    kSaved,
    // Nothing was replaced; the log still holds every game it had.
    kNotSaved,
    // The save happened but its end (renames, log rewrite) must wait for the
    // next run: until then this log must not be consumed again.
    kUnfinished,
  };

  explicit ServerSave(std::string serverDirectory);

  // A file to replace with `text`; one that already holds it is left alone.
  void Add(std::string path, std::string text);

  // Runs the save. Failures are reported on standard output: "Failed to save
  // datfile '%s'\n" with the file that could not be written, "Failed to
  // rewrite logfile: %s\n" with the log.
  Outcome Commit(std::optional<LogRewrite> rewrite);

 private:
  struct Pending {
    std::string path;
    std::string text;
  };

  Outcome CommitOneByOne(std::optional<LogRewrite>& rewrite);
  Outcome CommitJournaled(LogRewrite& rewrite);

  std::string directory_;
  std::string journalPath_;
  std::vector<Pending> files_;
};

// What FinishInterruptedSave found.
struct Recovery {
  enum class Outcome {
    kNothing,   // no interrupted save
    kFinished,  // finished it
    kFailed,    // could not: the log it names must be left alone this run
  };
  Outcome outcome = Outcome::kNothing;
  std::string logPath;  // the log the journal names, when it could be read
};

// Finishes the save that an interrupted run left in `serverDirectory`: puts
// the staged files in place, completes the log rewrite and removes the
// journal, then prints "Recovered the interrupted save of server %s\n" with
// `serverName`. When it cannot, prints "Failed to recover the interrupted
// save: %s\n" with the journal's path and leaves the journal for a later run.
// Without a journal it removes what an interrupted save may have left beside
// the files named in `stagedNames` (their ".tmp" files).
Recovery FinishInterruptedSave(const std::string& serverDirectory,
                               const std::string& serverName,
                               const std::vector<std::string>& stagedNames);

}  // namespace kilnbook

#endif  // KILNBOOK_APP_SERVER_SAVE_H_
