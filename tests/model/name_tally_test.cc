#include "model/name_tally.h"

#include <gtest/gtest.h>

#include <climits>
#include <cstdint>
#include <map>
#include <string>

#include "support/tally_list.h"

namespace kilnbook {
namespace {

TallyList ListOf(const std::map<std::string, int32_t>& map) {
  return TallyList(map.begin(), map.end());
}

TEST(NameTallyTest, IncrementsKeepByteOrder) {
  NamePool pool;
  NameTally tally(pool);
  std::map<std::string, int32_t> expected;
  // A fixed scramble of names that share prefixes (some their first eight
  // bytes, as a clan tag does), bytes above 0x7F and an empty name.
  const std::string names[] = {"bo",
                               "Bob",
                               "",
                               "\xC9ric",
                               "b",
                               "Bobby",
                               "bob",
                               "a",
                               "[WW2]A",
                               "[WW2]",
                               "abcdefghij",
                               "abcdefghi",
                               "[CLAN]xxB",
                               "[CLAN]xxAb",
                               "[CLAN]xx",
                               "[CLAN]xxA",
                               "[CLAN]xxz",
                               "[CLAN]xy",
                               std::string("[CLAN]xx\0", 9)};
  uint32_t state = 7;
  for (int i = 0; i < 2000; ++i) {
    state = state * 1103515245u + 12345u;
    const std::string& name = names[(state >> 16) % std::size(names)];
    tally.Increment(pool.Intern(name));
    ++expected[name];
  }
  EXPECT_EQ(Listed(tally), ListOf(expected));
}

TEST(NameTallyTest, AnyHintGivesTheSameCountsAndTheEntrysPlace) {
  NamePool pool;
  NameTally tally(pool, {{"a", 1}, {"c", 1}, {"e", 1}});
  NameId c = pool.Intern("c");
  const size_t hints[] = {0, 1, 2, 3, NameTally::kNoHint, 99};
  int32_t count = 1;
  for (size_t hint : hints) {
    size_t at = tally.Increment(c, hint);
    ++count;
    EXPECT_EQ(at, 1u) << hint;
    EXPECT_EQ(Listed(tally), (TallyList{{"a", 1}, {"c", count}, {"e", 1}}))
        << hint;
  }
  // A new name moves the entries after it; the old place misses.
  EXPECT_EQ(tally.Increment(pool.Intern("b"), 1), 1u);
  EXPECT_EQ(tally.Increment(c, 1), 2u);
  EXPECT_EQ(Listed(tally),
            (TallyList{{"a", 1}, {"b", 1}, {"c", count + 1}, {"e", 1}}));
}

TEST(NameTallyTest, SetReplacesAndSortsWhateverTheOrder) {
  NamePool pool;
  NameTally tally(pool);
  const std::pair<const char*, int32_t> sets[] = {
      {"m", 1}, {"z", 2}, {"b", 3}, {"m", 4}, {"a", -5}, {"z", 0}};
  for (const auto& [name, count] : sets) {
    tally.Set(pool.Intern(name), count);
  }
  EXPECT_EQ(Listed(tally),
            (TallyList{{"a", -5}, {"b", 3}, {"m", 4}, {"z", 0}}));
}

TEST(NameTallyTest, CountsWrapAt32Bits) {
  NamePool pool;
  NameTally tally(pool, {{"a", INT32_MAX}});
  tally.Increment(pool.Intern("a"));
  EXPECT_EQ(Listed(tally), (TallyList{{"a", INT32_MIN}}));
}

TEST(NameTallyTest, CopiesIntoAnotherPoolCompareEqual) {
  NamePool first;
  NamePool second;
  second.Intern("unrelated");
  NameTally tally(first, {{"b", 2}, {"a", 1}});
  NameTally copy = tally.InternedIn(second);
  EXPECT_EQ(copy.pool(), &second);
  EXPECT_EQ(copy, tally);
  EXPECT_EQ(Listed(copy), (TallyList{{"a", 1}, {"b", 2}}));
  copy.Increment(second.Intern("b"));
  EXPECT_FALSE(copy == tally);
  EXPECT_EQ(NameTally(), NameTally(first));
}

}  // namespace
}  // namespace kilnbook
