#include "support/unprivileged.h"

#include <grp.h>
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>

namespace kilnbook {

namespace {

constexpr uid_t kNobody = 65534;
constexpr gid_t kNoGroup = 65534;

}  // namespace

void AsUnprivileged(const std::string& directory,
                    const std::function<void()>& body) {
  if (geteuid() != 0) {
    body();
    return;
  }
  std::error_code error;
  ASSERT_EQ(chown(directory.c_str(), kNobody, kNoGroup), 0);
  for (auto it =
           std::filesystem::recursive_directory_iterator(directory, error);
       !error && it != std::filesystem::recursive_directory_iterator();
       it.increment(error)) {
    ASSERT_EQ(lchown(it->path().c_str(), kNobody, kNoGroup), 0) << it->path();
  }
  ASSERT_FALSE(error) << error.message();
  std::fflush(stdout);
  pid_t child = fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    if (setgroups(0, nullptr) != 0 || setgid(kNoGroup) != 0 ||
        setuid(kNobody) != 0) {
      _exit(2);
    }
    body();
    std::fflush(stdout);
    _exit(::testing::Test::HasFailure() ? 1 : 0);
  }
  int status = 0;
  ASSERT_EQ(waitpid(child, &status, 0), child);
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0)
      << "the part run as nobody failed (status " << status << ")";
}

}  // namespace kilnbook
