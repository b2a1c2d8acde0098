#include "app/directory.h"

#include <sys/stat.h>
#include <unistd.h>

#include <climits>
#include <cstdio>

namespace kilnbook {

namespace {

bool IsDirectory(const std::string& path) {
  struct stat info;
  return stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

}  // namespace

void EnsureDirectory(const std::string& path) {
  char cwd[PATH_MAX];
  if (getcwd(cwd, sizeof cwd) == nullptr) {
    // Entering the directory with no way back would strand the run.
    std::printf("Failed to get cwd\n");
    if (!IsDirectory(path)) {
      mkdir(path.c_str(), 0777);
    }
    return;
  }
  if (chdir(path.c_str()) == 0) {
    if (chdir(cwd) != 0) {
      std::printf("Failed to get cwd\n");
    }
    return;
  }
  mkdir(path.c_str(), 0777);
}

}  // namespace kilnbook
