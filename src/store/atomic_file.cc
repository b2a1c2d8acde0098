#include "store/atomic_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>

#include "store/fd.h"

namespace kilnbook {

namespace {

// The directory part of `path`, for the fsync that makes the rename durable.
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

AtomicFile::AtomicFile(std::string path)
    : path_(std::move(path)),
      // Runs are serialised, so one fixed name serves every save, and a save
      // that was killed leaves nothing behind for good: the next one
      // replaces it.
      tempPath_(path_ + ".tmp") {}

AtomicFile::~AtomicFile() { Discard(); }

bool AtomicFile::Open() {
  Discard();
  failed_ = false;
  fd_ = ::open(tempPath_.c_str(),
               O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC | O_NOFOLLOW, 0664);
  if (fd_ < 0) {
    failed_ = true;
    return false;
  }
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

bool AtomicFile::Commit() {
  if (fd_ < 0 || failed_) {
    Discard();
    return false;
  }
  bool synced = ::fsync(fd_) == 0;
  bool closed = ::close(fd_) == 0;
  fd_ = -1;
  if (!synced || !closed || ::rename(tempPath_.c_str(), path_.c_str()) != 0) {
    ::unlink(tempPath_.c_str());
    failed_ = true;
    return false;
  }
  // The new content is in place; syncing the directory only makes the rename
  // itself survive a crash, so its failure changes nothing for the caller.
  int directory = ::open(DirectoryOf(path_).c_str(), O_RDONLY | O_CLOEXEC);
  if (directory >= 0) {
    ::fsync(directory);
    ::close(directory);
  }
  return true;
}

void AtomicFile::Discard() {
  if (fd_ >= 0) {
    ::close(fd_);
    fd_ = -1;
    ::unlink(tempPath_.c_str());
  }
}

}  // namespace kilnbook
