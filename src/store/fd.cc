#include "store/fd.h"

#include <fcntl.h>
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

void Fd::Reset(int fd) {
  if (fd_ >= 0) {
    ::close(fd_);
  }
  fd_ = fd;
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

std::optional<std::string> ReadAll(const std::string& path) {
  Fd file(::open(path.c_str(), O_RDONLY | O_CLOEXEC));
  if (!file.ok()) {
    return std::nullopt;
  }
  std::string text;
  char buffer[1 << 16];
  while (true) {
    ssize_t got = ::read(file.get(), buffer, sizeof buffer);
    if (got < 0 && errno == EINTR) {
      continue;
    }
    if (got < 0) {
      return std::nullopt;
    }
    if (got == 0) {
      return text;
    }
    text.append(buffer, static_cast<size_t>(got));
  }
}

}  // namespace kilnbook
