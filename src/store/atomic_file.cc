#include "store/atomic_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>

#include "store/fd.h"

namespace kilnbook {

namespace {

// The directory part of `path`.
std::string DirectoryOf(const std::string& path) {
  size_t slash = path.rfind('/');
  if (slash == std::string::npos) {
    return ".";
  }
  if (slash == 0) {
    return "/";
  }
  return path.substr(0, slash);
}

}  // namespace

bool SyncDirectoryOf(const std::string& path) {
  Fd directory(::open(DirectoryOf(path).c_str(), O_RDONLY | O_CLOEXEC));
  return directory.ok() && ::fsync(directory.get()) == 0;
}

bool DirectoryTakesNewFiles(const std::string& directory) {
  // An unnamed file: it disappears when closed.
  Fd file(::open(directory.c_str(), O_TMPFILE | O_WRONLY | O_CLOEXEC, 0600));
  if (file.ok()) {
    return true;
  }
  if (errno != EOPNOTSUPP && errno != EISDIR && errno != EINVAL) {
    return false;
  }
  // A file system without unnamed files: only the permission can be asked.
  return ::access(directory.c_str(), W_OK | X_OK) == 0;
}

std::string AtomicFile::TempPathOf(const std::string& path) {
  // Runs are serialised, so one fixed name serves every save, and a save
  // that was killed leaves nothing behind for good: the next one replaces
  // it (or, when a journal recorded it, installs it).
  return path + ".tmp";
}

bool AtomicFile::InstallStaged(const std::string& path) {
  return ::rename(TempPathOf(path).c_str(), path.c_str()) == 0;
}

AtomicFile::AtomicFile(std::string path, Durability durability)
    : path_(std::move(path)),
      tempPath_(TempPathOf(path_)),
      durability_(durability) {}

AtomicFile::~AtomicFile() {
  if (!keep_) {
    Discard();
  } else if (fd_ >= 0) {
    ::close(fd_);
  }
}

bool AtomicFile::Open() {
  Discard();
  failed_ = false;
  staged_ = false;
  fd_ = ::open(tempPath_.c_str(),
               O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC | O_NOFOLLOW, 0664);
  if (fd_ < 0) {
    failed_ = true;
    return false;
  }
  created_ = true;
  struct stat existing;
  if (::stat(path_.c_str(), &existing) == 0 &&
      ::fchmod(fd_, existing.st_mode & 07777) != 0) {
    Discard();
    failed_ = true;
    return false;
  }
  return true;
}

bool AtomicFile::Write(std::string_view text) {
  if (fd_ < 0 || failed_) {
    failed_ = true;
    return false;
  }
  if (!WriteAll(fd_, text)) {
    failed_ = true;
  }
  return !failed_;
}

bool AtomicFile::Stage() {
  if (staged_) {
    return true;
  }
  if (fd_ < 0 || failed_) {
    failed_ = true;
    return false;
  }
  bool synced = durability_ == Durability::kUnsynced || ::fsync(fd_) == 0;
  bool closed = ::close(fd_) == 0;
  fd_ = -1;
  if (!synced || !closed) {
    failed_ = true;
    return false;
  }
  staged_ = true;
  return true;
}

bool AtomicFile::Commit() {
  if (!Stage() || ::rename(tempPath_.c_str(), path_.c_str()) != 0) {
    if (!keep_) {
      Discard();
    }
    failed_ = true;
    return false;
  }
  created_ = false;  // the temporary file is the target now
  return durability_ == Durability::kUnsynced || SyncDirectoryOf(path_);
}

void AtomicFile::Discard() {
  if (fd_ >= 0) {
    ::close(fd_);
    fd_ = -1;
  }
  if (created_) {
    ::unlink(tempPath_.c_str());
    created_ = false;
  }
  staged_ = false;
}

}  // namespace kilnbook
