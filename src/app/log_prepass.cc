#include "app/log_prepass.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <string_view>
#include <vector>

#include "config/file_names.h"
#include "store/digest.h"
#include "store/fd.h"

namespace kilnbook {

namespace {

constexpr std::string_view kSectionEnd = "ShutdownGame:";
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
  Digest sectionsDigest;     // of the log's first sectionsEnd bytes
  Digest readDigest;         // of the log's first readEnd bytes
};

// Copies the log into kilnbook.tmp with one more line feed after every line
// that holds the section end, then cuts kilnbook.tmp back to the end of the
// last finished section. The log is read in large blocks and searched with
// memmem, so that a busy log costs little more than a copy.
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
    if (onSectionLine_) {
      // The last line holds the section end but no line feed: it gets one,
      // and the empty line after it.
      pending_ += "\n\n";
      MarkSectionEnd();
    }
    point.sectionsEnd = sectionsEnd_;
    point.readEnd = offset_;
    point.sectionsDigest = sectionsDigest_.Current();
    point.readDigest = digest_.Current();
    // What follows the last finished section is never written at all when it
    // is still pending here.
    size_t keptPending =
        kept_ > written_ ? static_cast<size_t>(kept_ - written_) : 0;
    return WriteAll(temp_, std::string_view(pending_).substr(0, keptPending)) &&
           ::ftruncate(temp_, static_cast<off_t>(kept_)) == 0;
  }

 private:
  bool Take(std::string_view data) {
    size_t pos = 0;
    // A section end that starts in the previous block and ends in this one.
    if (!onSectionLine_ && !carry_.empty()) {
      std::string joined = carry_;
      joined.append(data.substr(0, kSectionEnd.size() - 1));
      if (joined.find(kSectionEnd) < carry_.size()) {
        onSectionLine_ = true;
      }
    }
    while (pos < data.size()) {
      if (onSectionLine_) {
        const void* newline =
            std::memchr(data.data() + pos, '\n', data.size() - pos);
        if (newline == nullptr) {
          Append(data.substr(pos));
          pos = data.size();
          break;
        }
        size_t end =
            static_cast<size_t>(static_cast<const char*>(newline) - data.data()) +
            1;
        Append(data.substr(pos, end - pos));
        pending_ += '\n';
        MarkSectionEnd();
        onSectionLine_ = false;
        pos = end;
        continue;
      }
      const void* found =
          ::memmem(data.data() + pos, data.size() - pos, kSectionEnd.data(),
                   kSectionEnd.size());
      if (found == nullptr) {
        Append(data.substr(pos));
        pos = data.size();
        break;
      }
      size_t at =
          static_cast<size_t>(static_cast<const char*>(found) - data.data());
      Append(data.substr(pos, at - pos));
      onSectionLine_ = true;
      pos = at;
    }
    // The end of the current line, where a section end that the next block
    // completes would start.
    constexpr size_t kCarry = kSectionEnd.size() - 1;
    size_t newline = data.rfind('\n');
    if (onSectionLine_) {
      carry_.clear();
    } else if (newline != std::string_view::npos) {
      std::string_view line = data.substr(newline + 1);
      carry_.assign(line.substr(line.size() - std::min(line.size(), kCarry)));
    } else {
      carry_.append(data.substr(data.size() - std::min(data.size(), kCarry)));
      if (carry_.size() > kCarry) {
        carry_.erase(0, carry_.size() - kCarry);
      }
    }
    return Flush();
  }

  // Log bytes on their way to kilnbook.tmp.
  void Append(std::string_view bytes) {
    pending_.append(bytes);
    digest_.Add(bytes);
    offset_ += bytes.size();
  }

  void MarkSectionEnd() {
    kept_ = written_ + pending_.size();
    sectionsEnd_ = offset_;
    sectionsDigest_ = digest_;
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
  std::string carry_;
  bool onSectionLine_ = false;
  uint64_t offset_ = 0;    // log bytes taken
  uint64_t written_ = 0;   // bytes written to kilnbook.tmp
  uint64_t kept_ = 0;      // kilnbook.tmp size at the last section end
  uint64_t sectionsEnd_ = 0;
  Digest::Builder digest_;
  Digest::Builder sectionsDigest_;
};

// The unfinished tail as it stood when the split read the log, plus one
// empty line (a line feed first when its last line has none); empty when
// there is no tail.
bool ReadTail(int log, const SplitPoint& point, std::string& tail) {
  tail.resize(static_cast<size_t>(point.readEnd - point.sectionsEnd));
  size_t done = 0;
  while (done < tail.size()) {
    ssize_t got =
        ::pread(log, tail.data() + done, tail.size() - done,
                static_cast<off_t>(point.sectionsEnd + done));
    if (got < 0 && errno == EINTR) {
      continue;
    }
    if (got <= 0) {
      return false;
    }
    done += static_cast<size_t>(got);
  }
  if (!tail.empty()) {
    tail += tail.back() == '\n' ? "\n" : "\n\n";
  }
  return true;
}

bool SameFile(int a, int b) {
  struct stat first;
  struct stat second;
  return ::fstat(a, &first) == 0 && ::fstat(b, &second) == 0 &&
         first.st_dev == second.st_dev && first.st_ino == second.st_ino;
}

// Splits an existing log; false when it must be left for a later run.
bool SplitExistingLog(int log, const std::string& logPath,
                      std::optional<LogRewrite>& rewrite) {
  // Opened before anything is written, so that a log we could not rewrite
  // is never consumed.
  Fd logAppend(::open(logPath.c_str(), O_WRONLY | O_APPEND | O_CLOEXEC));
  if (!logAppend.ok() || !SameFile(log, logAppend.get())) {
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
  std::string tail;
  Fd dump(CreateTruncated(kDumpFileName));
  if (!dump.ok() || !ReadTail(log, point, tail) || !WriteAll(dump.get(), tail) ||
      !dump.Close()) {
    return false;
  }
  if (point.readEnd == 0) {
    return true;  // an empty log stays as it is
  }
  struct stat info;
  if (::fstat(log, &info) != 0) {
    return false;
  }
  LogRewrite plan;
  plan.path = logPath;
  plan.device = static_cast<uint64_t>(info.st_dev);
  plan.inode = static_cast<uint64_t>(info.st_ino);
  plan.consumed = point.sectionsEnd;
  // Until the truncation the log starts with the counted games; when there
  // are none, with the tail as it was read.
  if (point.sectionsEnd > 0) {
    plan.intactLength = point.sectionsEnd;
    plan.intactDigest = point.sectionsDigest;
  } else {
    plan.intactLength = point.readEnd;
    plan.intactDigest = point.readDigest;
  }
  plan.captured = point.readEnd;
  plan.head = std::move(tail);
  rewrite = std::move(plan);
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

bool SplitLogToTemp(const std::string& logPath,
                    std::optional<LogRewrite>& rewrite) {
  rewrite.reset();
  Fd log(::open(logPath.c_str(), O_RDONLY | O_CLOEXEC));
  if (!log.ok() && errno == ENOENT) {
    return StartMissingLog(logPath);
  }
  if (log.ok() && SplitExistingLog(log.get(), logPath, rewrite)) {
    return true;
  }
  rewrite.reset();
  // The log still holds these games; counting them now would count them
  // twice.
  Fd temp(CreateTruncated(kTempFileName));
  std::printf("Failed to rewrite logfile: %s\n", logPath.c_str());
  return false;
}

}  // namespace kilnbook
