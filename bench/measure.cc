#include "measure.h"

#include <fcntl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>

namespace kilnbook {
namespace {

constexpr size_t kChunk = 1 << 20;

// Reads the whole of `fd`; the bytes are discarded. False on error.
bool Drain(int fd, std::vector<char>& buffer) {
  for (;;) {
    ssize_t got = read(fd, buffer.data(), buffer.size());
    if (got == 0) {
      return true;
    }
    if (got < 0) {
      return false;
    }
  }
}

bool WriteAll(int fd, const char* data, size_t size) {
  while (size > 0) {
    ssize_t done = write(fd, data, size);
    if (done <= 0) {
      return false;
    }
    data += done;
    size -= static_cast<size_t>(done);
  }
  return true;
}

}  // namespace

double Now() {
  return std::chrono::duration<double>(
             std::chrono::steady_clock::now().time_since_epoch())
      .count();
}

Measurement RunProgram(const std::string& binary,
                       const std::string& directory) {
  Measurement result;
  double start = Now();
  pid_t child = fork();
  if (child == 0) {
    int devNull = open("/dev/null", O_WRONLY);
    if (devNull >= 0) {
      dup2(devNull, 1);
    }
    if (chdir(directory.c_str()) != 0) {
      _exit(127);
    }
    execl(binary.c_str(), binary.c_str(), static_cast<char*>(nullptr));
    _exit(127);
  }
  if (child < 0) {
    return result;
  }
  int status = 0;
  struct rusage usage {};
  if (wait4(child, &status, 0, &usage) != child) {
    return result;
  }
  result.seconds = Now() - start;
  result.peakKilobytes = usage.ru_maxrss;
  result.ok = WIFEXITED(status) && WEXITSTATUS(status) == 0;
  return result;
}

bool CopyFile(const std::string& from, const std::string& to) {
  int in = open(from.c_str(), O_RDONLY | O_CLOEXEC);
  if (in < 0) {
    return false;
  }
  int out = open(to.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
  if (out < 0) {
    close(in);
    return false;
  }
  std::vector<char> buffer(kChunk);
  bool ok = true;
  for (;;) {
    ssize_t got = read(in, buffer.data(), buffer.size());
    if (got <= 0) {
      ok = got == 0;
      break;
    }
    if (!WriteAll(out, buffer.data(), static_cast<size_t>(got))) {
      ok = false;
      break;
    }
  }
  close(in);
  return close(out) == 0 && ok;
}

double IoFloorSeconds(const std::string& path, const std::string& scratch) {
  std::vector<char> buffer(kChunk);
  double start = Now();
  // The pre-pass reads the log and writes the finished games once...
  int in = open(path.c_str(), O_RDONLY | O_CLOEXEC);
  int out =
      open(scratch.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
  if (in < 0 || out < 0) {
    return 0;
  }
  for (;;) {
    ssize_t got = read(in, buffer.data(), buffer.size());
    if (got <= 0 || !WriteAll(out, buffer.data(), static_cast<size_t>(got))) {
      break;
    }
  }
  close(in);
  close(out);
  // ...and the parser reads them back.
  int again = open(scratch.c_str(), O_RDONLY | O_CLOEXEC);
  if (again >= 0) {
    Drain(again, buffer);
    close(again);
  }
  double seconds = Now() - start;
  unlink(scratch.c_str());
  return seconds;
}

uint64_t FileSize(const std::string& path) {
  struct stat info {};
  if (stat(path.c_str(), &info) != 0) {
    return 0;
  }
  return static_cast<uint64_t>(info.st_size);
}

bool WriteText(const std::string& path, const std::string& text) {
  int fd = open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
  if (fd < 0) {
    return false;
  }
  bool ok = WriteAll(fd, text.data(), text.size());
  return close(fd) == 0 && ok;
}

double Median(std::vector<double> values) {
  if (values.empty()) {
    return 0;
  }
  std::sort(values.begin(), values.end());
  size_t middle = values.size() / 2;
  if (values.size() % 2 == 1) {
    return values[middle];
  }
  return (values[middle - 1] + values[middle]) / 2;
}

}  // namespace kilnbook
