#include "store/fd.h"

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <memory>

namespace kilnbook {

namespace {

// The most ReadBlocks reads at once.
constexpr uint64_t kBlockSize = uint64_t{1} << 20;

}  // namespace

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

bool ReadBlocks(int fd, uint64_t offset, uint64_t limit,
                const std::function<void(std::string_view block)>& sink) {
  // A block at most, no more than `limit`, and not zeroed: pread fills it.
  size_t size = static_cast<size_t>(std::min(limit, kBlockSize));
  std::unique_ptr<char[]> buffer = std::make_unique_for_overwrite<char[]>(size);
  uint64_t done = 0;
  while (done < limit) {
    size_t want = static_cast<size_t>(std::min<uint64_t>(size, limit - done));
    ssize_t got =
        ::pread(fd, buffer.get(), want, static_cast<off_t>(offset + done));
    if (got < 0 && errno == EINTR) {
      continue;
    }
    if (got < 0) {
      return false;
    }
    if (got == 0) {
      return true;
    }
    sink(std::string_view(buffer.get(), static_cast<size_t>(got)));
    done += static_cast<uint64_t>(got);
  }
  return true;
}

std::optional<std::string> ReadFrom(int fd, uint64_t offset) {
  std::string text;
  if (!ReadBlocks(fd, offset, UINT64_MAX,
                  [&text](std::string_view block) { text.append(block); })) {
    return std::nullopt;
  }
  return text;
}

std::optional<std::string> ReadExactly(int fd, uint64_t offset,
                                       uint64_t length) {
  std::string text;
  text.reserve(static_cast<size_t>(length));
  if (!ReadBlocks(fd, offset, length,
                  [&text](std::string_view block) { text.append(block); }) ||
      text.size() != length) {
    return std::nullopt;
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
