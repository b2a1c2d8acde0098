// Saving a server's files and taking its counted games out of its log as one
// step, whatever stops the run.
#ifndef KILNBOOK_APP_SERVER_SAVE_H_
#define KILNBOOK_APP_SERVER_SAVE_H_

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "store/run_journal.h"

namespace kilnbook {

// The order of a save that counted games:
//   1. every changed file is written beside its target and synced;
//   2. the journal (kilnbook.journal in the server directory) records the
//      new files' digests and how the log is to be rewritten, and is synced:
//      from here on the save happens, in this run or the next;
//   3. the new files are renamed over their targets, durably;
//   4. the log is rewritten in place (RewriteLog);
//   5. the journal is removed.
// A run that stops before 2 leaves the old files and the whole log: the
// games are counted by the next run. A run that stops after 2 is finished by
// the next one (FinishInterruptedSave) before anything else touches the log.
// Without counted games there is nothing to lose: each file is replaced on
// its own and the log gets its empty line.
//
// The journal names no file: the staged files are fixed names of the server
// directory, the log is the one the configuration gives, and the journal
// holds only digests, sizes, the head and the lines to write back.
class ServerSave {
 public:
  enum class Outcome {
    kSaved,
    // Nothing was replaced; the log still holds every game it had.
    kNotSaved,
    // The save happened but its end (renames, log rewrite, removing the
    // journal) must wait for the next run: until then this log must not be
    // consumed again.
    kUnfinished,
  };

  ServerSave(std::string serverDirectory, const std::string& serverName);

  // A file of the server directory, by its fixed name, to replace with
  // `text`; one that already holds it is left alone.
  void Add(const std::string& name, std::string text);

  // Runs the save. Failures are reported on standard output: "Failed to save
  // datfile '%s'\n" with the file that could not be written, "Failed to
  // rewrite logfile: %s\n" with the log, "Failed to remove the journal:
  // %s\n".
  Outcome Commit(std::optional<LogRewrite> rewrite);

 private:
  struct Pending {
    std::string name;
    std::string path;
    std::string text;
  };

  Outcome CommitOneByOne(const std::optional<LogRewrite>& rewrite);
  Outcome CommitJournaled(LogRewrite& rewrite);
  bool SaveFirstJournal(const RunJournal& journal);

  std::string directory_;
  std::string journalPath_;
  Digest server_;
  std::vector<Pending> files_;
};

// What FinishInterruptedSave found.
enum class Recovery {
  kNothing,   // no interrupted save
  kFinished,  // finished it (or found it finished)
  kFailed,    // could not: the server's log must be left alone this run
};

// The journal in `text` when it belongs to server `serverName` and its log
// `logPath` and names only files in `stagedNames`; nothing otherwise.
std::optional<RunJournal> JournalOf(
    std::string_view text, const std::string& serverName,
    const std::string& logPath, const std::vector<std::string>& stagedNames);

// The staged names of every server: kStagedFileNames.
std::vector<std::string> StagedFileNames();

// Finishes the save that an interrupted run left in `serverDirectory`: puts
// the staged files in place, completes the rewrite of `logPath` and removes
// the journal, then prints "Recovered the interrupted save of server %s\n"
// with `serverName` when anything had to be done. When it cannot, prints
// "Failed to recover the interrupted save: %s\n" with the journal's path
// and changes nothing it could not redo: a later run finishes it. A journal
// that does not belong to this server and log, or cannot be finished (a
// stale one, say), is never acted on: "The journal %s does not match server
// %s: restore the configuration it was saved with, or remove it\n". Without
// a journal, removes what an interrupted save may have left beside the files
// named in `stagedNames`.
Recovery FinishInterruptedSave(const std::string& serverDirectory,
                               const std::string& serverName,
                               const std::string& logPath,
                               const std::vector<std::string>& stagedNames);

}  // namespace kilnbook

#endif  // KILNBOOK_APP_SERVER_SAVE_H_
