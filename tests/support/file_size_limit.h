// Makes file writes fail past a size, for tests of failed saves.
#ifndef KILNBOOK_TESTS_SUPPORT_FILE_SIZE_LIMIT_H_
#define KILNBOOK_TESTS_SUPPORT_FILE_SIZE_LIMIT_H_

#include <sys/resource.h>

#include <csignal>

namespace kilnbook {

// While in scope, every write that would grow a file past `bytes` fails with
// EFBIG, also for root (who is not stopped by a read-only directory). The
// limit is inherited by child processes, so it also reaches RunKilnbook.
class FileSizeLimit {
 public:
  explicit FileSizeLimit(rlim_t bytes) {
    previousHandler_ = std::signal(SIGXFSZ, SIG_IGN);
    getrlimit(RLIMIT_FSIZE, &previous_);
    struct rlimit limit = previous_;
    limit.rlim_cur = bytes;
    setrlimit(RLIMIT_FSIZE, &limit);
  }
  ~FileSizeLimit() {
    setrlimit(RLIMIT_FSIZE, &previous_);
    std::signal(SIGXFSZ, previousHandler_);
  }

  FileSizeLimit(const FileSizeLimit&) = delete;
  FileSizeLimit& operator=(const FileSizeLimit&) = delete;

 private:
  struct rlimit previous_;
  void (*previousHandler_)(int);
};

}  // namespace kilnbook

#endif  // KILNBOOK_TESTS_SUPPORT_FILE_SIZE_LIMIT_H_
