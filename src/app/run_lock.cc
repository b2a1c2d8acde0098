#include "app/run_lock.h"

#include <errno.h>
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

namespace kilnbook {

RunLock::RunLock(const std::string& directory) {
  fd_ = open(directory.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd_ < 0) {
    return;
  }
  int result;
  do {
    result = flock(fd_, LOCK_EX);
  } while (result != 0 && errno == EINTR);
  locked_ = result == 0;
}

RunLock::~RunLock() {
  if (fd_ >= 0) {
    close(fd_);  // releases the lock
  }
}

}  // namespace kilnbook
