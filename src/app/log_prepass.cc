#include "app/log_prepass.h"

#include <fcntl.h>
#include <sys/random.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <string_view>
#include <vector>

#include "config/file_names.h"
#include "log/game_end_check.h"
#include "store/digest.h"
#include "store/fd.h"

namespace kilnbook {

namespace {

constexpr std::string_view kGameEnd = "ShutdownGame:";
constexpr size_t kChunkSize = 1 << 20;
constexpr size_t kWriteBatch = 1 << 20;

int CreateTruncated(const char* name) {
  return ::open(name, O_RDWR | O_CREAT | O_TRUNC | O_CLOEXEC, 0664);
}

ssize_t ReadSome(int fd, char* buffer, size_t size) {
  while (true) {
    ssize_t got = ::read(fd, buffer, size);
    if (got >= 0 || errno != EINTR) {
      return got;
    }
  }
}

// Where the split of the log ended.
struct SplitPoint {
  uint64_t sectionsEnd = 0;  // log offset just past the last finished section
  uint64_t readEnd = 0;      // log offset where reading stopped
  uint64_t games = 0;        // finished sections
  Digest sectionsDigest;     // of the log's first sectionsEnd bytes
};

// Copies the log into kilnbook.tmp with one more line feed after every line
// that ends a game, then cuts kilnbook.tmp back to the end of the last
// finished section. The log is read in large blocks and searched for the
// keyword with memmem; only the lines that hold it, and the line that
// crosses each block's end, are looked at closely. A busy log costs little
// more than a copy.
class SectionWriter {
 public:
  SectionWriter(int log, int temp) : log_(log), temp_(temp) {
    pending_.reserve(kWriteBatch + kChunkSize + 2);
  }

  bool Run(SplitPoint& point) {
    std::vector<char> buffer(kChunkSize);
    while (true) {
      ssize_t got = ReadSome(log_, buffer.data(), buffer.size());
      if (got < 0) {
        return false;
      }
      if (got == 0) {
        break;
      }
      if (!Take(std::string_view(buffer.data(), static_cast<size_t>(got)))) {
        return false;
      }
    }
    // A last line without its line feed ends nothing: the server is still
    // writing it.
    point.sectionsEnd = sectionsEnd_;
    point.readEnd = offset_;
    point.games = games_;
    point.sectionsDigest = sectionsDigest_.Current();
    // What follows the last finished section is never written at all when it
    // is still pending here.
    size_t keptPending =
        kept_ > written_ ? static_cast<size_t>(kept_ - written_) : 0;
    return WriteAll(temp_, std::string_view(pending_).substr(0, keptPending)) &&
           ::ftruncate(temp_, static_cast<off_t>(kept_)) == 0;
  }

 private:
  bool Take(std::string_view data) {
    size_t taken = 0;  // bytes of `data` appended so far
    bool continuesLine = !atLineStart_;
    if (continuesLine) {
      taken = FinishOpenLine(data);
    }
    size_t search = taken;
    while (search < data.size()) {
      const void* found = ::memmem(data.data() + search, data.size() - search,
                                   kGameEnd.data(), kGameEnd.size());
      if (found == nullptr) {
        break;
      }
      size_t at =
          static_cast<size_t>(static_cast<const char*>(found) - data.data());
      search = at + 1;
      const void* newline = ::memrchr(data.data(), '\n', at);
      if (newline == nullptr && continuesLine) {
        continue;  // the line begun in an earlier block was judged above
      }
      size_t lineStart =
          newline == nullptr
              ? 0
              : static_cast<size_t>(static_cast<const char*>(newline) -
                                    data.data()) +
                    1;
      GameEndCheck check;
      check.Feed(data.substr(lineStart, at + kGameEnd.size() - lineStart));
      if (!check.endsGame()) {
        continue;
      }
      const void* end = std::memchr(data.data() + at, '\n', data.size() - at);
      if (end == nullptr) {
        break;  // its line feed comes with a later block
      }
      size_t next =
          static_cast<size_t>(static_cast<const char*>(end) - data.data()) + 1;
      Append(data.substr(taken, next - taken));
      EndSection();
      taken = search = next;
    }
    Append(data.substr(taken));
    TrackOpenLine(data, continuesLine);
    return Flush();
  }

  // The line that the previous block left open goes on in `data`: ends a
  // section when it ends a game and its line feed is here. Returns where the
  // search for more sections goes on.
  size_t FinishOpenLine(std::string_view data) {
    const void* found = std::memchr(data.data(), '\n', data.size());
    size_t length = found == nullptr
                        ? data.size()
                        : static_cast<size_t>(static_cast<const char*>(found) -
                                              data.data());
    openLine_.Feed(data.substr(0, length));
    if (found == nullptr || !openLine_.endsGame()) {
      return 0;
    }
    Append(data.substr(0, length + 1));
    EndSection();
    return length + 1;
  }

  // Judges the start of the line that `data` leaves open, if any.
  void TrackOpenLine(std::string_view data, bool continuesLine) {
    const void* found = ::memrchr(data.data(), '\n', data.size());
    if (found == nullptr) {
      if (!continuesLine) {
        openLine_ = GameEndCheck();
        openLine_.Feed(data);
      }
      atLineStart_ = data.empty() && atLineStart_;
      return;
    }
    size_t start =
        static_cast<size_t>(static_cast<const char*>(found) - data.data()) + 1;
    openLine_ = GameEndCheck();
    openLine_.Feed(data.substr(start));
    atLineStart_ = start == data.size();
  }

  // Log bytes on their way to kilnbook.tmp.
  void Append(std::string_view bytes) {
    pending_.append(bytes);
    digest_.Add(bytes);
    offset_ += bytes.size();
  }

  // Just after the line feed of a line that ends a game.
  void EndSection() {
    pending_ += '\n';
    kept_ = written_ + pending_.size();
    sectionsEnd_ = offset_;
    sectionsDigest_ = digest_;
    ++games_;
  }

  bool Flush() {
    if (pending_.size() < kWriteBatch) {
      return true;
    }
    if (!WriteAll(temp_, pending_)) {
      return false;
    }
    written_ += pending_.size();
    pending_.clear();
    return true;
  }

  int log_;
  int temp_;
  std::string pending_;
  bool atLineStart_ = true;
  GameEndCheck openLine_;  // the line that the last block left open
  uint64_t offset_ = 0;    // log bytes taken
  uint64_t written_ = 0;   // bytes written to kilnbook.tmp
  uint64_t kept_ = 0;      // kilnbook.tmp size at the last section end
  uint64_t sectionsEnd_ = 0;
  uint64_t games_ = 0;
  Digest::Builder digest_;
  Digest::Builder sectionsDigest_;
};

// The text the log is to keep, from the unfinished tail as the split read
// it: its whole lines, one empty line after them (only when games were
// counted, or when no line is in progress: a line cannot be added before
// the server's line in progress without rewriting the log), and the line in
// progress. Empty when there is no tail.
std::string HeadOf(std::string_view tail, bool counted) {
  size_t lastNewline = tail.rfind('\n');
  size_t whole = lastNewline == std::string_view::npos ? 0 : lastNewline + 1;
  std::string head(tail.substr(0, whole));
  std::string_view inProgress = tail.substr(whole);
  if (whole > 0 && (counted || inProgress.empty())) {
    head += '\n';
  }
  head.append(inProgress);
  return head;
}

bool SameFile(int a, int b) {
  struct stat first;
  struct stat second;
  return ::fstat(a, &first) == 0 && ::fstat(b, &second) == 0 &&
         first.st_dev == second.st_dev && first.st_ino == second.st_ino;
}

// A random marker with the top bit of every byte set, which a log of plain
// text never holds.
uint64_t NewMarker() {
  uint64_t marker = 0;
  if (::getrandom(&marker, sizeof marker, 0) != sizeof marker) {
    // No entropy to be had: the clock and the process still differ from
    // one run to the next.
    marker = Digest::Of(std::to_string(::getpid()) + " " +
                        std::to_string(::time(nullptr)))
                 .low;
  }
  return marker | 0x8080808080808080ULL;
}

// Splits an existing log; false when it must be left for a later run.
bool SplitExistingLog(int log, const std::string& logPath, LogSplit& split) {
  // Opened before anything is written, so that a log we could not rewrite
  // is never consumed.
  Fd writable(::open(logPath.c_str(), O_RDWR | O_CLOEXEC));
  if (!writable.ok() || !SameFile(log, writable.get())) {
    return false;
  }
  SplitPoint point;
  {
    Fd temp(CreateTruncated(kTempFileName));
    if (!temp.ok() || !SectionWriter(log, temp.get()).Run(point) ||
        !temp.Close()) {
      return false;
    }
  }
  std::optional<std::string> tail =
      ReadExactly(log, point.sectionsEnd, point.readEnd - point.sectionsEnd);
  if (!tail) {
    return false;
  }
  std::string head = HeadOf(*tail, point.games > 0);
  Fd dump(CreateTruncated(kDumpFileName));
  if (!dump.ok() || !WriteAll(dump.get(), head) || !dump.Close()) {
    return false;
  }
  struct stat info;
  if (::fstat(log, &info) != 0) {
    return false;
  }
  split.countable = true;
  split.games = point.games;
  if (point.readEnd == 0) {
    return true;  // an empty log stays as it is
  }
  LogRewrite plan;
  plan.path = logPath;
  plan.device = static_cast<uint64_t>(info.st_dev);
  plan.inode = static_cast<uint64_t>(info.st_ino);
  plan.consumed = point.sectionsEnd;
  plan.consumedDigest = point.sectionsDigest;
  plan.captured = point.readEnd;
  plan.head = std::move(head);
  plan.marker = NewMarker();
  plan.tailDigest = Digest::Of(*tail);
  split.rewrite = std::move(plan);
  return true;
}

// No log yet: empty working files and an empty log for the game server.
bool StartMissingLog(const std::string& logPath) {
  Fd temp(CreateTruncated(kTempFileName));
  Fd dump(CreateTruncated(kDumpFileName));
  Fd log(
      ::open(logPath.c_str(), O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0664));
  return temp.ok();
}

}  // namespace

LogSplit SplitLogToTemp(const std::string& logPath) {
  LogSplit split;
  Fd log(::open(logPath.c_str(), O_RDONLY | O_CLOEXEC));
  if (!log.ok() && errno == ENOENT) {
    split.countable = StartMissingLog(logPath);
    return split;
  }
  if (log.ok() && SplitExistingLog(log.get(), logPath, split)) {
    return split;
  }
  // The log still holds these games; counting them now would count them
  // twice.
  Fd temp(CreateTruncated(kTempFileName));
  std::printf("Failed to rewrite logfile: %s\n", logPath.c_str());
  return LogSplit{};
}

}  // namespace kilnbook
