#include "support/program_process.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>

namespace kilnbook {
namespace {

ProcessStatus Decode(int raw) {
  ProcessStatus status;
  if (WIFEXITED(raw)) {
    status.exited = true;
    status.exitStatus = WEXITSTATUS(raw);
  } else if (WIFSIGNALED(raw)) {
    status.signal = WTERMSIG(raw);
  }
  return status;
}

}  // namespace

ProgramProcess::ProgramProcess(
    const std::string& workingDirectory, const std::string& outputPath,
    const std::vector<std::pair<std::string, std::string>>& environment) {
  std::fflush(stdout);
  pid_ = fork();
  if (pid_ != 0) {
    return;
  }
  if (chdir(workingDirectory.c_str()) != 0) {
    _exit(127);
  }
  int out = open(outputPath.c_str(), O_WRONLY | O_CREAT | O_APPEND, 0644);
  int err =
      open((outputPath + ".err").c_str(), O_WRONLY | O_CREAT | O_APPEND, 0644);
  int in = open("/dev/null", O_RDONLY);
  dup2(out, 1);
  dup2(err, 2);
  dup2(in, 0);
  umask(022);
  setenv("TZ", "UTC", 1);
  for (const auto& [name, value] : environment) {
    setenv(name.c_str(), value.c_str(), 1);
  }
  execl(KILNBOOK_BINARY, KILNBOOK_BINARY, static_cast<char*>(nullptr));
  _exit(126);
}

ProgramProcess::~ProgramProcess() {
  if (pid_ > 0 && !reaped_) {
    kill(pid_, SIGKILL);
    int raw = 0;
    waitpid(pid_, &raw, 0);
  }
}

bool ProgramProcess::Poll(ProcessStatus& status) {
  if (!reaped_ && pid_ > 0) {
    int raw = 0;
    if (waitpid(pid_, &raw, WNOHANG) == pid_) {
      reaped_ = true;
      status_ = Decode(raw);
    }
  }
  status = status_;
  return reaped_;
}

ProcessStatus ProgramProcess::Wait() {
  if (!reaped_ && pid_ > 0) {
    int raw = 0;
    if (waitpid(pid_, &raw, 0) == pid_) {
      reaped_ = true;
      status_ = Decode(raw);
    }
  }
  return status_;
}

bool ProgramProcess::Stopped() const {
  std::ifstream stat("/proc/" + std::to_string(pid_) + "/stat");
  std::string text;
  std::getline(stat, text);
  size_t close = text.rfind(')');
  return close != std::string::npos && close + 2 < text.size() &&
         text[close + 2] == 'T';
}

bool WaitsForLock(pid_t pid, ino_t inode) {
  std::ifstream locks("/proc/locks");
  std::string line;
  std::string pidText = " " + std::to_string(pid) + " ";
  std::string inodeText = ":" + std::to_string(inode) + " ";
  while (std::getline(locks, line)) {
    if (line.find("->") != std::string::npos &&
        line.find("FLOCK") != std::string::npos &&
        line.find(pidText) != std::string::npos &&
        line.find(inodeText) != std::string::npos) {
      return true;
    }
  }
  return false;
}

}  // namespace kilnbook
