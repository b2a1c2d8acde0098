#include "app/log_rewrite.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <string>
#include <string_view>

#include "config/file_names.h"
#include "store/digest.h"
#include "store/fd.h"

namespace kilnbook {

namespace {

// The bytes of `fd` from `offset` to its end.
bool ReadFrom(int fd, uint64_t offset, std::string& out) {
  out.clear();
  char buffer[1 << 16];
  while (true) {
    ssize_t got = ::pread(fd, buffer, sizeof buffer,
                          static_cast<off_t>(offset + out.size()));
    if (got < 0 && errno == EINTR) {
      continue;
    }
    if (got < 0) {
      return false;
    }
    if (got == 0) {
      return true;
    }
    out.append(buffer, static_cast<size_t>(got));
  }
}

bool AppendToDump(std::string_view text) {
  Fd dump(::open(kDumpFileName, O_WRONLY | O_APPEND | O_CLOEXEC));
  return dump.ok() && WriteAll(dump.get(), text) && dump.Close();
}

// Truncates the log at `length` and appends `text`: one write, so that lines
// the game server appends meanwhile land before or after it, never inside.
bool CutAndWrite(int log, uint64_t length, std::string_view text) {
  return ::ftruncate(log, static_cast<off_t>(length)) == 0 &&
         WriteAll(log, text) && ::fsync(log) == 0;
}

// The log still holds the counted games (or, with none counted, the tail as
// it was read): replace them with the head.
bool RewriteIntact(LogRewrite& rewrite, int reader, int log, bool journaled,
                   const RewriteSaver& save) {
  std::string appended;
  if (!ReadFrom(reader, rewrite.captured, appended)) {
    return false;
  }
  if (rewrite.consumed == 0 && appended.empty() && !journaled) {
    // Nothing to take out: the tail only gets its empty line.
    std::string_view ending = std::string_view(rewrite.head)
                                  .substr(static_cast<size_t>(rewrite.captured));
    return WriteAll(log, ending);
  }
  // Lines appended since the split follow the head. Saving them takes a
  // sync, during which the server may write more: read again until nothing
  // new came, so that only the instant between the last read and the
  // truncation is left in which a line could be missed.
  while (!appended.empty()) {
    rewrite.head += appended;
    rewrite.captured += appended.size();
    if (rewrite.consumed == 0) {
      rewrite.intactLength = rewrite.captured;
      std::optional<Digest> digest =
          Digest::OfFilePrefix(reader, rewrite.intactLength);
      if (!digest) {
        return false;
      }
      rewrite.intactDigest = *digest;
    }
    if (!AppendToDump(appended) || !save(rewrite)) {
      return false;
    }
    journaled = true;
    if (!ReadFrom(reader, rewrite.captured, appended)) {
      return false;
    }
  }
  if (!journaled && !save(rewrite)) {
    return false;
  }
  return CutAndWrite(log, 0, rewrite.head);
}

// The log was truncated: it holds the start of the head, and maybe lines
// the game server appended after our write-back stopped.
bool FinishTruncated(LogRewrite& rewrite, int reader, int log,
                     const RewriteSaver& save) {
  std::string content;
  if (!ReadFrom(reader, 0, content)) {
    return false;
  }
  const std::string& head = rewrite.head;
  if (rewrite.cut) {
    // A recovery saved the lines it found after a partly written head and
    // then stopped: were they cut off yet?
    size_t cut = static_cast<size_t>(*rewrite.cut);
    size_t moved = static_cast<size_t>(rewrite.movedLength);
    if (content.size() >= cut + moved && moved <= head.size() &&
        content.compare(0, cut, head, 0, cut) == 0 &&
        content.compare(cut, moved, head, head.size() - moved, moved) == 0) {
      return CutAndWrite(log, cut, std::string_view(head).substr(cut));
    }
  }
  size_t common = static_cast<size_t>(
      std::mismatch(content.begin(),
                    content.begin() + static_cast<std::ptrdiff_t>(
                                          std::min(content.size(), head.size())),
                    head.begin())
          .first -
      content.begin());
  if (common == head.size()) {
    return ::fsync(log) == 0;  // written back; what follows is the server's
  }
  std::string_view rest = std::string_view(content).substr(common);
  if (rest.empty()) {
    return WriteAll(log, std::string_view(head).substr(common)) &&
           ::fsync(log) == 0;
  }
  // Lines the server wrote after the interruption: they go after the head.
  rewrite.head += rest;
  rewrite.cut = common;
  rewrite.movedLength = rest.size();
  if (!save(rewrite)) {
    return false;
  }
  return CutAndWrite(log, common,
                     std::string_view(rewrite.head).substr(common));
}

}  // namespace

bool RewriteLog(LogRewrite& rewrite, bool knownIntact, bool journaled,
                const RewriteSaver& save) {
  struct stat before;
  bool existed = ::stat(rewrite.path.c_str(), &before) == 0;
  Fd log(::open(rewrite.path.c_str(),
                O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC, 0664));
  Fd reader(::open(rewrite.path.c_str(), O_RDONLY | O_CLOEXEC));
  if (!reader.ok() || !log.ok()) {
    return false;
  }
  if (knownIntact) {
    return RewriteIntact(rewrite, reader.get(), log.get(), journaled, save);
  }
  struct stat info;
  if (::fstat(reader.get(), &info) != 0) {
    return false;
  }
  if (existed && (static_cast<uint64_t>(info.st_dev) != rewrite.device ||
                  static_cast<uint64_t>(info.st_ino) != rewrite.inode)) {
    return true;  // another file now: not ours to change
  }
  uint64_t size = static_cast<uint64_t>(info.st_size);
  if (rewrite.intactLength > 0 && size >= rewrite.intactLength &&
      Digest::OfFilePrefix(reader.get(), rewrite.intactLength) ==
          rewrite.intactDigest) {
    return RewriteIntact(rewrite, reader.get(), log.get(), true, save);
  }
  return FinishTruncated(rewrite, reader.get(), log.get(), save);
}

}  // namespace kilnbook
