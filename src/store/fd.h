// An owned POSIX file descriptor, and writing a whole text to one.
#ifndef KILNBOOK_STORE_FD_H_
#define KILNBOOK_STORE_FD_H_

#include <cstddef>
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

// The whole content of the file at `path`, or nothing when it cannot be
// opened or read.
std::optional<std::string> ReadAll(const std::string& path);

}  // namespace kilnbook

#endif  // KILNBOOK_STORE_FD_H_
