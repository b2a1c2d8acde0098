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

// How the start of a log is replaced once its counted games are saved. The
// log is rewritten in place, never shrunk below what it is to keep: `head`
// (the unfinished game, the run's empty line and the lines the game server
// appended meanwhile) is written over the counted games, and only then is the
// rest cut off. Until that cut, a random marker lies in the part to be cut,
// so that a later run can tell a cut log from one that is not, whatever the
// game server appended since.
struct LogRewrite {
  // Where the log is; not part of the journal, which names no file: the
  // path comes from the configuration, and only its digest is recorded.
  std::string path;
  uint64_t device = 0;  // identity of the log file when it was split
  uint64_t inode = 0;
  uint64_t consumed = 0;  // bytes at the start of the log that were counted
  Digest consumedDigest;  // of those bytes, as the log held them
  // The log's bytes from `consumed` up to `captured` are part of `head`;
  // anything after `captured` is the game server's, to follow the head.
  uint64_t captured = 0;
  std::string head;  // what the log starts with once rewritten
  uint64_t marker = 0;
  // `captured` of the previous record of the same rewrite, whose marker may
  // still be the one in the log; 0 for the first record.
  uint64_t earlierCaptured = 0;
  // Not recorded: the digest of the log's bytes from `consumed` to
  // `captured` as the split read them.
  Digest tailDigest;
};

// Where the marker of a rewrite that took the log in up to `captured` lies:
// the last 8-byte aligned slot before `captured`, so that no write of a
// process killed part way can tear it.
inline constexpr uint64_t kMarkerSize = 8;
inline uint64_t MarkerOffset(uint64_t captured) {
  return (captured - kMarkerSize) & ~uint64_t{7};
}

// A file of the server directory replaced by the save: its new content waits
// in the file's temporary twin until the save installs it.
struct StagedFile {
  std::string name;  // one of the fixed names the caller allows
  Digest digest;     // of the new content
};

struct RunJournal {
  Digest server;  // of the server's name
  std::vector<StagedFile> files;
  std::optional<LogRewrite> log;
  Digest logPath;  // of the configured log path, when `log` is set

  // The file's text: a header line, one line per value (texts prefixed
  // with their length, so any bytes fit) and a last line holding the digest
  // of all the others.
  std::string Text() const;

  // Nothing when `text` is not a complete journal of this format, or names a
  // staged file that is not one of `allowedNames`.
  static std::optional<RunJournal> Parse(
      std::string_view text, const std::vector<std::string>& allowedNames);
};

}  // namespace kilnbook

#endif  // KILNBOOK_STORE_RUN_JOURNAL_H_
