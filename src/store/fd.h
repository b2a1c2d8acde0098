// An owned POSIX file descriptor, and writing a whole text to one.
#ifndef KILNBOOK_STORE_FD_H_
#define KILNBOOK_STORE_FD_H_

#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

namespace kilnbook {

// Closes the descriptor it holds when it goes out of scope.
class Fd {
 public:
  explicit Fd(int fd = -1) : fd_(fd) {}
  ~Fd();

  Fd(const Fd&) = delete;
  Fd& operator=(const Fd&) = delete;
  Fd(Fd&& other) noexcept : fd_(other.fd_) { other.fd_ = -1; }
  Fd& operator=(Fd&& other) noexcept {
    if (this != &other) {
      Reset(other.fd_);
      other.fd_ = -1;
    }
    return *this;
  }

  int get() const { return fd_; }
  bool ok() const { return fd_ >= 0; }

  // Closes now; false when there was nothing to close or close() failed,
  // which after writes can mean that they did not reach the file.
  bool Close();

  // Closes the descriptor held, if any, and holds `fd` instead.
  void Reset(int fd);

 private:
  int fd_;
};

// Writes all of `text` to `fd`, resuming after partial writes and
// interruptions; false on the first failed write.
bool WriteAll(int fd, std::string_view text);

// The same at `offset` of `fd`, whose file position does not move.
bool WriteAllAt(int fd, std::string_view text, uint64_t offset);

// Hands the bytes of `fd` from `offset` on to `sink`, a block at a time,
// up to `limit` bytes or the end of the file; false when reading fails. The
// file position does not move. This is the one loop that reads our files.
bool ReadBlocks(int fd, uint64_t offset, uint64_t limit,
                const std::function<void(std::string_view block)>& sink);

// The bytes of `fd` from `offset` to its end, or nothing when reading fails.
std::optional<std::string> ReadFrom(int fd, uint64_t offset);

// Exactly `length` bytes of `fd` at `offset`; nothing when the file is
// shorter or reading fails.
std::optional<std::string> ReadExactly(int fd, uint64_t offset,
                                       uint64_t length);

// The whole content of the file at `path`, or nothing when it cannot be
// opened or read.
std::optional<std::string> ReadAll(const std::string& path);

}  // namespace kilnbook

#endif  // KILNBOOK_STORE_FD_H_
