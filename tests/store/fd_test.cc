// Reading a whole file.
#include "store/fd.h"

#include <gtest/gtest.h>

#include <string>

#include "support/temp_dir.h"

namespace kilnbook {
namespace {

class FdTest : public TempDirTest {};

TEST_F(FdTest, ReadAllReadsAnySizeAndReportsFailures) {
  EXPECT_EQ(ReadAll("missing"), std::nullopt);
  std::string big(200000, 'x');
  big[65536] = 'y';
  big.back() = 'z';
  WriteFile("big", big);
  EXPECT_EQ(ReadAll("big"), big);
  WriteFile("empty", "");
  EXPECT_EQ(ReadAll("empty"), "");
  // A directory opens but cannot be read.
  EXPECT_EQ(ReadAll("."), std::nullopt);
}

}  // namespace
}  // namespace kilnbook
