#include "support/temp_dir.h"

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <climits>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

namespace kilnbook {

void TempDirTest::SetUp() {
  char cwd[PATH_MAX];
  ASSERT_NE(getcwd(cwd, sizeof cwd), nullptr);
  previous_ = cwd;
  std::string pattern = ::testing::TempDir() + "kilnbook_test_XXXXXX";
  ASSERT_NE(mkdtemp(pattern.data()), nullptr);
  dir_ = pattern;
  ASSERT_EQ(chdir(dir_.c_str()), 0);
}

void TempDirTest::TearDown() {
  if (!previous_.empty()) {
    EXPECT_EQ(chdir(previous_.c_str()), 0);
  }
  if (!dir_.empty()) {
    std::error_code error;
    // Make everything removable again after tests that took permissions away.
    for (auto it = std::filesystem::recursive_directory_iterator(
             dir_, std::filesystem::directory_options::skip_permission_denied,
             error);
         !error && it != std::filesystem::recursive_directory_iterator();
         it.increment(error)) {
      chmod(it->path().c_str(), 0755);
    }
    chmod(dir_.c_str(), 0755);
    std::filesystem::remove_all(dir_, error);
  }
}

void WriteFile(const std::string& path, const std::string& content) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out << content;
}

std::string ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) {
    return "<missing>";
  }
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

bool FileExists(const std::string& path) {
  struct stat info;
  return stat(path.c_str(), &info) == 0;
}

int FileMode(const std::string& path) {
  struct stat info;
  if (stat(path.c_str(), &info) != 0) {
    return -1;
  }
  return static_cast<int>(info.st_mode & 07777);
}

std::vector<std::string> DirectoryEntries(const std::string& directory) {
  std::vector<std::string> names;
  for (const auto& entry : std::filesystem::directory_iterator(directory)) {
    names.push_back(entry.path().filename().string());
  }
  std::sort(names.begin(), names.end());
  return names;
}

}  // namespace kilnbook
