// A fresh temporary directory per test, entered for the test's duration.
#ifndef KILNBOOK_TESTS_SUPPORT_TEMP_DIR_H_
#define KILNBOOK_TESTS_SUPPORT_TEMP_DIR_H_

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace kilnbook {

// Creates a directory under the test temp root, makes it the working
// directory in SetUp and removes it (after returning) in TearDown.
class TempDirTest : public ::testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;

  // Absolute path of the test's directory.
  const std::string& dir() const { return dir_; }

 private:
  std::string dir_;
  std::string previous_;
};

// Writes `content` to `path` (relative to the working directory), replacing
// it.
void WriteFile(const std::string& path, const std::string& content);

// The whole content of `path`; "<missing>" when it cannot be read.
std::string ReadFile(const std::string& path);

bool FileExists(const std::string& path);

// Permission bits of `path`, or -1.
int FileMode(const std::string& path);

// Names in `directory`, sorted, so tests can see that no stray or
// temporary file is left.
std::vector<std::string> DirectoryEntries(const std::string& directory = ".");

}  // namespace kilnbook

#endif  // KILNBOOK_TESTS_SUPPORT_TEMP_DIR_H_
