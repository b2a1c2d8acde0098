// Starts the built kilnbook binary without waiting for it, for tests that
// must act while a run is in progress.
#ifndef KILNBOOK_TESTS_SUPPORT_PROGRAM_PROCESS_H_
#define KILNBOOK_TESTS_SUPPORT_PROGRAM_PROCESS_H_

#include <sys/types.h>

#include <string>
#include <utility>
#include <vector>

namespace kilnbook {

struct ProcessStatus {
  bool exited = false;  // ended by exit(); its code is in exitStatus
  int exitStatus = -1;
  int signal = 0;  // the signal that ended it, or 0
};

// One child process running the kilnbook binary in `workingDirectory`, with
// standard output appended to `outputPath` and standard error to
// `outputPath` + ".err". The destructor kills and reaps a child that is still
// running, so a failing test leaves no process behind.
class ProgramProcess {
 public:
  // `environment` adds to (or replaces in) the inherited environment.
  ProgramProcess(
      const std::string& workingDirectory, const std::string& outputPath,
      const std::vector<std::pair<std::string, std::string>>& environment = {});
  ~ProgramProcess();

  ProgramProcess(const ProgramProcess&) = delete;
  ProgramProcess& operator=(const ProgramProcess&) = delete;

  pid_t pid() const { return pid_; }

  // True while the child is stopped (by SIGSTOP, say).
  bool Stopped() const;

  // True once the child has ended; fills `status`. Never blocks.
  bool Poll(ProcessStatus& status);

  // Blocks until the child ends.
  ProcessStatus Wait();

 private:
  pid_t pid_ = -1;
  bool reaped_ = false;
  ProcessStatus status_;
};

// True when /proc/locks shows `pid` blocked waiting for a flock on the file
// or directory with inode `inode`.
bool WaitsForLock(pid_t pid, ino_t inode);

}  // namespace kilnbook

#endif  // KILNBOOK_TESTS_SUPPORT_PROGRAM_PROCESS_H_
