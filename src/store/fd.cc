#include "store/fd.h"

#include <unistd.h>

#include <cerrno>

namespace kilnbook {

Fd::~Fd() {
  if (fd_ >= 0) {
    ::close(fd_);
  }
}

bool Fd::Close() {
  int fd = fd_;
  fd_ = -1;
  return fd >= 0 && ::close(fd) == 0;
}

bool WriteAll(int fd, std::string_view text) {
  while (!text.empty()) {
    ssize_t done = ::write(fd, text.data(), text.size());
    if (done < 0) {
      if (errno == EINTR) {
        continue;
      }
      return false;
    }
    text.remove_prefix(static_cast<size_t>(done));
  }
  return true;
}

}  // namespace kilnbook
