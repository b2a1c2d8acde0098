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

bool WriteAllAt(int fd, std::string_view text, uint64_t offset) {
  while (!text.empty()) {
    ssize_t done =
        ::pwrite(fd, text.data(), text.size(), static_cast<off_t>(offset));
    if (done < 0) {
      if (errno == EINTR) {
        continue;
      }
      return false;
    }
    text.remove_prefix(static_cast<size_t>(done));
    offset += static_cast<uint64_t>(done);
  }
  return true;
}

std::optional<std::string> ReadFrom(int fd, uint64_t offset) {
  std::string text;
  char buffer[1 << 16];
  while (true) {
    ssize_t got = ::pread(fd, buffer, sizeof buffer,
                          static_cast<off_t>(offset + text.size()));
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

std::optional<std::string> ReadExactly(int fd, uint64_t offset,
                                       uint64_t length) {
  std::string text(static_cast<size_t>(length), '\0');
  size_t done = 0;
  while (done < text.size()) {
    ssize_t got = ::pread(fd, text.data() + done, text.size() - done,
                          static_cast<off_t>(offset + done));
    if (got < 0 && errno == EINTR) {
      continue;
    }
    if (got <= 0) {
      return std::nullopt;
    }
    done += static_cast<size_t>(got);
  }
  return text;
}

std::optional<std::string> ReadAll(const std::string& path) {
  Fd file(::open(path.c_str(), O_RDONLY | O_CLOEXEC));
  if (!file.ok()) {
    return std::nullopt;
  }
  return ReadFrom(file.get(), 0);
}

}  // namespace kilnbook
