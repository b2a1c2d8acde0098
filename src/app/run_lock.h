// Keeps two runs in one working directory from overlapping.
#ifndef KILNBOOK_APP_RUN_LOCK_H_
#define KILNBOOK_APP_RUN_LOCK_H_

#include <string>

namespace kilnbook {

// An exclusive advisory lock (flock) on the configuration file, held from
// construction until destruction. A second run started meanwhile waits for
// the first to finish, so no finished game is consumed twice and no log
// rewrite races another. Locking the configuration file itself means no new
// file appears in the working directory. Without a readable configuration
// file there is nothing to lock and the run goes on unlocked (it then has no
// log to consume either).
class RunLock {
 public:
  explicit RunLock(const std::string& path);
  ~RunLock();

  RunLock(const RunLock&) = delete;
  RunLock& operator=(const RunLock&) = delete;

  bool locked() const { return locked_; }

 private:
  int fd_ = -1;
  bool locked_ = false;
};

}  // namespace kilnbook

#endif  // KILNBOOK_APP_RUN_LOCK_H_
