#include "model/code_tally.h"

#include <gtest/gtest.h>

#include <climits>
#include <cstdint>
#include <map>
#include <utility>
#include <vector>

namespace kilnbook {
namespace {

std::vector<std::pair<int32_t, int32_t>> Listed(const CodeTally& tally) {
  std::vector<std::pair<int32_t, int32_t>> list;
  for (const auto& [code, count] : tally) {
    list.emplace_back(code, count);
  }
  return list;
}

TEST(CodeTallyTest, IncrementsKeepSignedOrder) {
  // Tallies of every size up to a few dozen codes, so that the search meets
  // every shape of array.
  const int32_t codes[] = {
      17, -1022, 0,    58, 3,  INT32_MIN, 18, INT32_MAX, 5,  -1, 17,
      40, 41,    1022, 9,  6,  7,         12, 14,        15, 16, 19,
      20, 21,    32,   34, 45, 46,        54, 55,        56, 17, -1022};
  CodeTally tally;
  std::map<int32_t, int32_t> expected;
  for (int32_t code : codes) {
    tally.Increment(code);
    ++expected[code];
    ASSERT_EQ(Listed(tally), (std::vector<std::pair<int32_t, int32_t>>(
                                 expected.begin(), expected.end())))
        << "after " << code;
  }
}

TEST(CodeTallyTest, SetAndListConstructionReplaceEarlierEntries) {
  CodeTally tally{{17, 3}, {-1022, 1}, {17, 5}};
  EXPECT_EQ(Listed(tally),
            (std::vector<std::pair<int32_t, int32_t>>{{-1022, 1}, {17, 5}}));
  tally.Set(0, 7);
  tally.Set(18, 2);
  tally.Set(17, -4);
  EXPECT_EQ(tally, (CodeTally{{-1022, 1}, {0, 7}, {17, -4}, {18, 2}}));
}

TEST(CodeTallyTest, CountsWrapAt32Bits) {
  CodeTally tally{{9, INT32_MAX}};
  tally.Increment(9);
  EXPECT_EQ(tally, (CodeTally{{9, INT32_MIN}}));
}

}  // namespace
}  // namespace kilnbook
