#include "store/atomic_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

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

void SyncDirectoryOf(const std::string& path) {
  // Only makes the change survive a crash; its failure changes nothing for
  // the caller, who has already seen the change succeed.
  Fd directory(::open(DirectoryOf(path).c_str(), O_RDONLY | O_CLOEXEC));
  if (directory.ok()) {
    ::fsync(directory.get());
  }
}

AtomicFile::AtomicFile(std::string path, Durability durability)
    : path_(std::move(path)),
      // Runs are serialised, so one fixed name serves every save, and a save
      // that was killed leaves nothing behind for good: the next one
      // replaces it.
      tempPath_(path_ + ".tmp"),
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
    Discard();
    failed_ = true;
    return false;
  }
  created_ = false;  // the temporary file is the target now
  if (durability_ == Durability::kSynced) {
    SyncDirectoryOf(path_);
  }
  return true;
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
