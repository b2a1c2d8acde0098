#include "support/run_program.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>

namespace kilnbook {

namespace {

std::string Slurp(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

std::string TempPath(const char* stem) {
  std::string pattern = std::string("/tmp/kilnbook_") + stem + "_XXXXXX";
  int fd = mkstemp(pattern.data());
  if (fd >= 0) {
    close(fd);
  }
  return pattern;
}

}  // namespace

RunResult RunKilnbook(const RunOptions& options) {
  std::string outPath = TempPath("out");
  std::string errPath = TempPath("err");
  std::fflush(stdout);
  pid_t child = fork();
  if (child == 0) {
    if (chdir(options.workingDirectory.c_str()) != 0) {
      _exit(127);
    }
    int out = open(outPath.c_str(), O_WRONLY | O_TRUNC);
    int err = open(errPath.c_str(), O_WRONLY | O_TRUNC);
    int in = open("/dev/null", O_RDONLY);
    dup2(out, 1);
    dup2(err, 2);
    dup2(in, 0);
    umask(static_cast<mode_t>(options.umask));
    setenv("TZ", options.timeZone.c_str(), 1);
    std::vector<char*> argv;
    std::string program = KILNBOOK_BINARY;
    argv.push_back(program.data());
    std::vector<std::string> arguments = options.arguments;
    for (std::string& argument : arguments) {
      argv.push_back(argument.data());
    }
    argv.push_back(nullptr);
    execv(program.c_str(), argv.data());
    _exit(126);
  }
  RunResult result;
  int status = 0;
  if (child > 0 && waitpid(child, &status, 0) == child && WIFEXITED(status)) {
    result.exitStatus = WEXITSTATUS(status);
  }
  result.out = Slurp(outPath);
  result.err = Slurp(errPath);
  unlink(outPath.c_str());
  unlink(errPath.c_str());
  return result;
}

StdoutCapture::StdoutCapture() {
  path_ = TempPath("capture");
  std::fflush(stdout);
  saved_ = dup(1);
  int fd = open(path_.c_str(), O_WRONLY | O_TRUNC);
  dup2(fd, 1);
  close(fd);
}

std::string StdoutCapture::Finish() {
  std::fflush(stdout);
  dup2(saved_, 1);
  close(saved_);
  finished_ = true;
  std::string text = Slurp(path_);
  unlink(path_.c_str());
  return text;
}

StdoutCapture::~StdoutCapture() {
  if (!finished_) {
    Finish();
  }
}

}  // namespace kilnbook
