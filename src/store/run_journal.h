// The record that makes a server's save and the consumption of its log one
// step: written (synced) once every new file is staged, removed once the log
// is rewritten. A run that stops while it exists is finished by the next one.
#ifndef KILNBOOK_STORE_RUN_JOURNAL_H_
#define KILNBOOK_STORE_RUN_JOURNAL_H_

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "store/digest.h"

namespace kilnbook {

// How the start of a log is to be replaced: the finished games that a run
// counted go, and `head` (the unfinished game, its empty line, and the lines
// the game server appended meanwhile) takes their place; anything appended
// after `captured` follows it.
struct LogRewrite {
  std::string path;
  uint64_t device = 0;  // identity of the log file when it was split
  uint64_t inode = 0;
  uint64_t consumed = 0;  // bytes at the start of the log that were counted
  // While the log is not yet truncated, its first `intactLength` bytes have
  // this digest; that is how a later run tells whether the truncation
  // happened.
  uint64_t intactLength = 0;
  Digest intactDigest;
  uint64_t captured = 0;  // log offset up to which `head` took the lines
  std::string head;       // what the log starts with once rewritten
  // Set when a recovery found lines after a partly written head: the log
  // holds `head`'s first `cut` bytes followed by its last `movedLength`
  // bytes, until it is truncated at `cut` and the rest of `head` written.
  std::optional<uint64_t> cut;
  uint64_t movedLength = 0;
};

// A file replaced by the save: the new content waits in `path` + ".tmp".
struct StagedFile {
  std::string path;
  Digest digest;  // of the new content
};

struct RunJournal {
  std::vector<StagedFile> files;
  std::optional<LogRewrite> log;

  // The file's text: a header line, one line per value (texts prefixed
  // with their length, so any bytes fit) and a last line holding the digest
  // of all the others.
  std::string Text() const;

  // Nothing when `text` is not a complete journal.
  static std::optional<RunJournal> Parse(std::string_view text);
};

// The journal's name in a server directory.
inline constexpr const char kJournalFileName[] = "kilnbook.journal";

}  // namespace kilnbook

#endif  // KILNBOOK_STORE_RUN_JOURNAL_H_
