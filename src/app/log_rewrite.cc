#include "app/log_rewrite.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <string>
#include <string_view>

#include "config/file_names.h"
#include "store/digest.h"
#include "store/fd.h"

namespace kilnbook {

namespace {

std::string MarkerBytes(uint64_t marker) {
  std::string bytes(kMarkerSize, '\0');
  for (size_t i = 0; i < kMarkerSize; ++i) {
    bytes[i] = static_cast<char>((marker >> (8 * i)) & 0xFF);
  }
  return bytes;
}

// The lines appended since the split, for the record of what the log
// received. The file is only informative: a failure changes nothing.
void AppendToDump(std::string_view text) {
  Fd dump(
      ::open(kDumpFileName, O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC, 0664));
  if (dump.ok()) {
    WriteAll(dump.get(), text);
  }
}

bool SizeOf(int fd, uint64_t& size) {
  struct stat info;
  if (::fstat(fd, &info) != 0) {
    return false;
  }
  size = static_cast<uint64_t>(info.st_size);
  return true;
}

// The log at `plan.path` when it is still the file that was split. Sets
// `result` to kLeftAlone when it is not, or kFailed when it cannot be told.
Fd OpenSameLog(const LogRewrite& plan, int flags, RewriteResult& result) {
  Fd log(::open(plan.path.c_str(), flags | O_CLOEXEC));
  struct stat info;
  if (!log.ok()) {
    result =
        errno == ENOENT ? RewriteResult::kLeftAlone : RewriteResult::kFailed;
  } else if (::fstat(log.get(), &info) != 0) {
    result = RewriteResult::kFailed;
    log.Reset(-1);
  } else if (static_cast<uint64_t>(info.st_dev) != plan.device ||
             static_cast<uint64_t>(info.st_ino) != plan.inode) {
    result = RewriteResult::kLeftAlone;  // rotated: a new log now
    log.Reset(-1);
  }
  return log;
}

// Cuts one log that still holds what its plan cuts away.
class LogCutter {
 public:
  LogCutter(int log, LogRewrite& plan, const RewriteSaver& save)
      : log_(log), plan_(plan), save_(save) {}

  bool Run() {
    uint64_t size;
    if (!SizeOf(log_, size) || size < plan_.captured) {
      return false;
    }
    readTo_ = plan_.captured;
    if ((size > readTo_ && !Record(size)) || !Place()) {
      return false;
    }
    while (true) {
      if (::fdatasync(log_) != 0 || !SizeOf(log_, size) || size < readTo_) {
        return false;
      }
      if (size == readTo_) {
        // Right after the look: the cut drops only what is ours.
        return ::ftruncate(log_, static_cast<off_t>(length_)) == 0 &&
               ::fdatasync(log_) == 0;
      }
      if (!MoveUp(size)) {
        return false;
      }
    }
  }

 private:
  // Takes the server's bytes up to `size` into the head, durably: from here
  // on they may be overwritten where the server wrote them.
  bool Record(uint64_t size) {
    std::optional<std::string> more =
        ReadExactly(log_, readTo_, size - readTo_);
    if (!more) {
      return false;
    }
    plan_.head += moved_;
    plan_.head += *more;
    plan_.earlierCaptured = plan_.captured;
    plan_.captured = size;
    AppendToDump(*more);
    return save_(plan_);
  }

  // The marker, synced before anything it vouches for is overwritten, then
  // the head over the counted games.
  bool Place() {
    if (!WriteAllAt(log_, MarkerBytes(plan_.marker),
                    MarkerOffset(plan_.captured)) ||
        ::fdatasync(log_) != 0 || !WriteAllAt(log_, plan_.head, 0)) {
      return false;
    }
    length_ = plan_.head.size();
    readTo_ = plan_.captured;
    moved_.clear();
    return true;
  }

  // Bytes the server appended meanwhile go behind what is in place. While
  // they fit before the marker the server's own copy stays untouched, so no
  // record is needed; otherwise they are recorded and everything is placed
  // anew.
  bool MoveUp(uint64_t size) {
    if (length_ + (size - readTo_) > MarkerOffset(plan_.captured)) {
      return Record(size) && Place();
    }
    std::optional<std::string> more =
        ReadExactly(log_, readTo_, size - readTo_);
    if (!more || !WriteAllAt(log_, *more, length_)) {
      return false;
    }
    length_ += more->size();
    readTo_ = size;
    moved_ += *more;
    AppendToDump(*more);
    return true;
  }

  int log_;
  LogRewrite& plan_;
  const RewriteSaver& save_;
  uint64_t length_ = 0;  // the log's bytes [0, length_) are the new log's
  uint64_t readTo_ = 0;  // the server's bytes are taken in up to here
  std::string moved_;    // moved up since the last record
};

bool MarkerAt(int log, uint64_t captured, uint64_t marker, bool& failed) {
  std::optional<std::string> slot =
      ReadExactly(log, MarkerOffset(captured), kMarkerSize);
  failed = failed || !slot;
  return slot && *slot == MarkerBytes(marker);
}

// Whether the log still holds the part that the plan cuts away: its marker
// (or the marker of the plan's previous record, when the new one is not
// written yet), or, before any marker was written, the counted games.
bool NotCutYet(int log, const LogRewrite& plan, bool& failed) {
  uint64_t size;
  if (!SizeOf(log, size)) {
    failed = true;
    return false;
  }
  if (size < plan.captured) {
    return false;
  }
  if (MarkerAt(log, plan.captured, plan.marker, failed) ||
      (plan.earlierCaptured > 0 &&
       MarkerAt(log, plan.earlierCaptured, plan.marker, failed))) {
    return true;
  }
  std::optional<Digest> counted = Digest::OfFilePrefix(log, plan.consumed);
  failed = failed || !counted;
  return counted == plan.consumedDigest;
}

}  // namespace

RewriteResult RewriteLog(LogRewrite& plan, const RewriteSaver& save) {
  RewriteResult result = RewriteResult::kRewritten;
  Fd log = OpenSameLog(plan, O_RDWR, result);
  if (!log.ok()) {
    return result;
  }
  // The log must still hold, after the counted games, what the split read:
  // a log cut or replaced in place by someone else is not ours to change.
  uint64_t size;
  if (!SizeOf(log.get(), size)) {
    return RewriteResult::kFailed;
  }
  std::optional<std::string> tail;
  if (size >= plan.captured) {
    tail = ReadExactly(log.get(), plan.consumed, plan.captured - plan.consumed);
  }
  if (!tail || Digest::Of(*tail) != plan.tailDigest) {
    return RewriteResult::kLeftAlone;
  }
  return LogCutter(log.get(), plan, save).Run() ? RewriteResult::kRewritten
                                                : RewriteResult::kFailed;
}

RewriteResult FinishRewrite(LogRewrite& plan, const RewriteSaver& save) {
  RewriteResult result = RewriteResult::kRewritten;
  Fd log = OpenSameLog(plan, O_RDWR, result);
  if (!log.ok()) {
    return result;
  }
  bool failed = false;
  bool notCut = NotCutYet(log.get(), plan, failed);
  if (!notCut) {
    return failed ? RewriteResult::kFailed : RewriteResult::kUnchanged;
  }
  return LogCutter(log.get(), plan, save).Run() ? RewriteResult::kRewritten
                                                : RewriteResult::kFailed;
}

RewriteResult AddEmptyLine(const LogRewrite& plan) {
  if (plan.head.empty() || plan.head.back() != '\n') {
    return RewriteResult::kUnchanged;
  }
  RewriteResult result = RewriteResult::kRewritten;
  Fd log = OpenSameLog(plan, O_RDWR | O_APPEND, result);
  if (!log.ok()) {
    return result;
  }
  uint64_t size;
  if (!SizeOf(log.get(), size)) {
    return RewriteResult::kFailed;
  }
  if (size < plan.captured) {
    return RewriteResult::kLeftAlone;
  }
  std::optional<std::string> last = ReadExactly(log.get(), size - 1, 1);
  if (!last) {
    return RewriteResult::kFailed;
  }
  if (*last != "\n") {
    return RewriteResult::kUnchanged;  // a line in progress
  }
  if (!WriteAll(log.get(), "\n")) {
    return RewriteResult::kFailed;
  }
  // The append leaves the position just past our line feed. Bytes the server
  // wrote between the look and the append lie before it: the empty line
  // goes back before them, in place, so that it cuts none of their lines.
  off_t end = ::lseek(log.get(), 0, SEEK_CUR);
  if (end < 0) {
    return RewriteResult::kFailed;
  }
  uint64_t slipped = static_cast<uint64_t>(end) - 1 - size;
  if (slipped == 0) {
    return RewriteResult::kRewritten;
  }
  std::optional<std::string> theirs = ReadExactly(log.get(), size, slipped);
  int flags = ::fcntl(log.get(), F_GETFL);
  if (!theirs || flags < 0 ||
      ::fcntl(log.get(), F_SETFL, flags & ~O_APPEND) != 0 ||
      !WriteAllAt(log.get(), "\n" + *theirs, size)) {
    return RewriteResult::kFailed;
  }
  return RewriteResult::kRewritten;
}

}  // namespace kilnbook
