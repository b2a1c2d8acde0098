#include "app/log_prepass.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <memory>
#include <string_view>
#include <vector>

#include "config/file_names.h"
#include "log/line_reader.h"
#include "store/fd.h"

namespace kilnbook {

namespace {

constexpr std::string_view kSectionEnd = "ShutdownGame:";
constexpr size_t kChunkSize = 1 << 16;
constexpr size_t kWriteBatch = 1 << 20;

enum class Outcome {
  kDone,            // sections in kilnbook.tmp, tail back in the log
  kLogUntouched,    // failed before the truncation: nothing may be counted
  kTailNotRestored  // truncated, but the tail could not be written back
};

struct FileCloser {
  void operator()(FILE* file) const { std::fclose(file); }
};
using FilePtr = std::unique_ptr<FILE, FileCloser>;

int CreateTruncated(const char* name) {
  return ::open(name, O_RDWR | O_CREAT | O_TRUNC | O_CLOEXEC, 0664);
}


// Reads up to `size` bytes at `offset`; -1 on a read error.
ssize_t ReadAt(int fd, char* buffer, size_t size, uint64_t offset) {
  while (true) {
    ssize_t got = ::pread(fd, buffer, size, static_cast<off_t>(offset));
    if (got >= 0 || errno != EINTR) {
      return got;
    }
  }
}

// Appends the bytes of `from` between `begin` and `end` (or its end of file,
// when `toEnd` is set) to `to`. Sets `last` to the last byte copied.
bool CopyRange(int from, uint64_t begin, uint64_t end, bool toEnd, int to,
               char& last) {
  std::vector<char> buffer(kChunkSize);
  uint64_t at = begin;
  while (toEnd || at < end) {
    size_t want =
        toEnd
            ? buffer.size()
            : static_cast<size_t>(std::min<uint64_t>(buffer.size(), end - at));
    ssize_t got = ReadAt(from, buffer.data(), want, at);
    if (got < 0 || (got == 0 && !toEnd)) {
      return false;
    }
    if (got == 0) {
      break;
    }
    if (!WriteAll(to, std::string_view(buffer.data(), static_cast<size_t>(got)))) {
      return false;
    }
    last = buffer[static_cast<size_t>(got) - 1];
    at += static_cast<uint64_t>(got);
  }
  return true;
}

// Appends kilnbook.dmp to the log. The log is open for appending, so lines
// the game server writes meanwhile land between ours, never over them; each
// write ends at a line feed so that they cannot land inside one of our lines.
bool CopyDumpToLog(int dump, int log) {
  std::vector<char> buffer(kChunkSize);
  size_t held = 0;
  uint64_t at = 0;
  while (true) {
    ssize_t got = ReadAt(dump, buffer.data() + held, buffer.size() - held, at);
    if (got < 0) {
      return false;
    }
    at += static_cast<uint64_t>(got);
    held += static_cast<size_t>(got);
    if (got == 0) {
      return WriteAll(log, std::string_view(buffer.data(), held));
    }
    size_t cut = held;
    while (cut > 0 && buffer[cut - 1] != '\n') {
      --cut;
    }
    if (cut == 0) {
      cut = held;  // one line longer than the buffer: write it in pieces
    }
    if (!WriteAll(log, std::string_view(buffer.data(), cut))) {
      return false;
    }
    std::copy(buffer.begin() + static_cast<ptrdiff_t>(cut),
              buffer.begin() + static_cast<ptrdiff_t>(held), buffer.begin());
    held -= cut;
  }
}

bool SameFile(int a, int b) {
  struct stat first;
  struct stat second;
  return ::fstat(a, &first) == 0 && ::fstat(b, &second) == 0 &&
         first.st_dev == second.st_dev && first.st_ino == second.st_ino;
}

// Where the split of the log ended.
struct SplitPoint {
  uint64_t sectionsEnd = 0;  // log offset just past the last finished section
  uint64_t readEnd = 0;      // log offset where reading stopped
};

// Streams every line of `log` into `temp` and cuts `temp` back to the end of
// the last finished section, so that no section is ever held in memory.
// Lines are gathered into large writes: a busy log has millions of them.
//
// kilnbook.tmp is not synced to disk: it only feeds this run's parse. Should
// the machine go down before the data file is saved, those games are lost
// whether or not it was synced, because the next run starts it anew.
bool WriteSections(FILE* log, int temp, SplitPoint& point) {
  LineReader reader(log);
  std::string pending;
  pending.reserve(kWriteBatch + kChunkSize);
  uint64_t written = 0;
  uint64_t kept = 0;
  std::string_view line;
  while (reader.Next(line)) {
    pending.append(line);
    pending.push_back('\n');
    if (line.find(kSectionEnd) != std::string_view::npos) {
      pending.push_back('\n');
      kept = written + pending.size();
      point.sectionsEnd = reader.Offset();
    }
    if (pending.size() >= kWriteBatch) {
      if (!WriteAll(temp, pending)) {
        return false;
      }
      written += pending.size();
      pending.clear();
    }
  }
  point.readEnd = reader.Offset();
  // What follows the last finished section is never written at all when it
  // is still pending here.
  size_t keptPending = kept > written ? static_cast<size_t>(kept - written) : 0;
  return !reader.Failed() && WriteAll(temp, std::string_view(pending).substr(0, keptPending)) &&
         ::ftruncate(temp, static_cast<off_t>(kept)) == 0;
}

// The unfinished tail as it stood when the split read the log, plus one
// empty line; nothing when there is no tail.
bool WriteTail(int log, const SplitPoint& point, int dump) {
  if (point.readEnd == point.sectionsEnd) {
    return true;
  }
  char last = '\n';
  if (!CopyRange(log, point.sectionsEnd, point.readEnd, false, dump, last)) {
    return false;
  }
  std::string_view ending = last == '\n' ? "\n" : "\n\n";
  return WriteAll(dump, ending);
}

Outcome Rewrite(int log, int logAppend, const SplitPoint& point, int dump,
                const std::function<void()>& beforeRewrite) {
  if (beforeRewrite) {
    beforeRewrite();
  }
  // Lines appended since the split follow the tail unchanged; a line still
  // being written is completed by the game server after our copy of it. From
  // this last read to the truncation is the only window in which a new line
  // could be missed.
  char last = '\n';
  if (!CopyRange(log, point.readEnd, 0, true, dump, last) ||
      ::ftruncate(logAppend, 0) != 0) {
    return Outcome::kLogUntouched;
  }
  if (CopyDumpToLog(dump, logAppend)) {
    return ::fsync(logAppend) == 0 ? Outcome::kDone : Outcome::kTailNotRestored;
  }
  // kilnbook.dmp holds the tail: one more attempt from a clean start.
  if (::ftruncate(logAppend, 0) == 0 && CopyDumpToLog(dump, logAppend) &&
      ::fsync(logAppend) == 0) {
    return Outcome::kDone;
  }
  return Outcome::kTailNotRestored;
}

Outcome SplitExistingLog(FILE* log, const std::string& logPath,
                         const std::function<void()>& beforeRewrite) {
  // Opened before anything is written, so that a log we could not rewrite
  // is never consumed.
  Fd logAppend(::open(logPath.c_str(), O_WRONLY | O_APPEND | O_CLOEXEC));
  if (!logAppend.ok() || !SameFile(fileno(log), logAppend.get())) {
    return Outcome::kLogUntouched;
  }
  SplitPoint point;
  {
    Fd temp(CreateTruncated(kTempFileName));
    if (!temp.ok() || !WriteSections(log, temp.get(), point) || !temp.Close()) {
      return Outcome::kLogUntouched;
    }
  }
  Fd dump(CreateTruncated(kDumpFileName));
  if (!dump.ok() || !WriteTail(fileno(log), point, dump.get()) ||
      ::fsync(dump.get()) != 0) {
    return Outcome::kLogUntouched;
  }
  Outcome outcome =
      Rewrite(fileno(log), logAppend.get(), point, dump.get(), beforeRewrite);
  if (!logAppend.Close() && outcome == Outcome::kDone) {
    outcome = Outcome::kTailNotRestored;
  }
  return outcome;
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

bool SplitLogToTemp(const std::string& logPath,
                    const std::function<void()>& beforeRewrite) {
  Outcome outcome;
  {
    FilePtr log(std::fopen(logPath.c_str(), "rbe"));
    if (log == nullptr) {
      if (errno == ENOENT) {
        return StartMissingLog(logPath);
      }
      outcome = Outcome::kLogUntouched;
    } else {
      outcome = SplitExistingLog(log.get(), logPath, beforeRewrite);
    }
  }
  if (outcome == Outcome::kDone) {
    return true;
  }
  if (outcome == Outcome::kLogUntouched) {
    // The log still holds these games; counting them now would count them
    // twice.
    Fd temp(CreateTruncated(kTempFileName));
  }
  std::printf("Failed to rewrite logfile: %s\n", logPath.c_str());
  return outcome == Outcome::kTailNotRestored;
}

}  // namespace kilnbook
