// Keeps two runs in one working directory from overlapping.
#ifndef KILNBOOK_APP_RUN_LOCK_H_
#define KILNBOOK_APP_RUN_LOCK_H_

#include <string>

namespace kilnbook {

// An exclusive advisory lock (flock) on the working directory itself, held
// from construction until destruction. A second run started meanwhile waits
// for the first to finish, so no finished game is consumed twice and no log
// rewrite races another, whatever happens to the files in the directory:
// a configuration file replaced by a rename (as editors do) changes nothing.
// No file is made for it. On a file system that locks no directory the run
// goes on unlocked.
class RunLock {
 public:
  explicit RunLock(const std::string& directory);
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
