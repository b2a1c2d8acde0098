// The state file text of the extended statistics, written and read back.
#include "extra/extra_state.h"

#include <gtest/gtest.h>

#include <string>

namespace kilnbook {
namespace {

constexpr char kHead[] = "KILNBOOK_EXTRA|1\nMAP|ok|1|0|0|0\n";

TEST(ExtraStateTest, TextReadsBackToTheSameBytes) {
  const std::string text = std::string(kHead) +
                           "DAY|2026-02-28|3|99|4\n"
                           "PLR||1772359200|1772359200|1|0|1000000\n"
                           "PLR|^1Ann \xE9\r|1772359200|1772445600|7|3605|-15\n"
                           "PMP|^1Ann \xE9\r|m&amp;p|5|30|12\n"
                           "PLR|world_entity|||0|0|1000000\n";
  ExtraRecords records;
  ASSERT_TRUE(ReadExtraState(text, records));
  EXPECT_EQ(ExtraStateText(records), text);
  const PlayerExtra& ann = records.players.at("^1Ann \xE9\r");
  EXPECT_EQ(ann.lastSeen, 1772445600);
  EXPECT_EQ(ann.rating, -15);
  EXPECT_EQ(ann.maps.at("m&amp;p").deaths, 12);
  EXPECT_FALSE(records.players.at("world_entity").firstSeen.has_value());
}

TEST(ExtraStateTest, DamagedLinesAreSkipped) {
  const char* damaged[] = {
      "MAP|m|1|2|3\n",                       // a field short
      "MAP|m|1|2|3|+4\n",                    // not as written
      "MAP|m|1|2|3|-4\n",                    // a negative count
      "MAP|m<b>|1|2|3|4\n",                  // a byte no cleaned name holds
      "MAP|m|99999999999999999999|2|3|4\n",  // beyond 64 bits
      "DAY|2026-02-30|1|2|3\n",              // no such date
      "PLR|a|-5||0|0|1000000\n",             // a time before the epoch
      "PLR|a|||0|0|1000000000000000000\n",   // an absurd rating
      "XYZ|a|b\n",
      "PLR|a|||0|0|1000000",  // no line feed: maybe cut short
  };
  for (const char* line : damaged) {
    ExtraRecords records;
    ASSERT_TRUE(ReadExtraState(kHead + std::string(line), records)) << line;
    EXPECT_EQ(ExtraStateText(records), kHead) << line;
  }
}

TEST(ExtraStateTest, LaterRecordsWinAndOtherVersionsAreNotRead) {
  ExtraRecords records;
  // Without a header the lines are still read.
  ASSERT_TRUE(ReadExtraState(
      "MAP|m|1|1|1|1\nPMP|a|m|1|2|3\nPLR|a|5|6|1|1|1\nPLR|a|7|8|2|2|2\n"
      "MAP|m|2|2|2|2\n",
      records));
  EXPECT_EQ(ExtraStateText(records),
            "KILNBOOK_EXTRA|1\nMAP|m|2|2|2|2\nPLR|a|7|8|2|2|2\n"
            "PMP|a|m|1|2|3\n");
  EXPECT_FALSE(ReadExtraState("KILNBOOK_EXTRA|2\nMAP|m|1|1|1|1\n", records));
  EXPECT_TRUE(records.maps.empty());
}

}  // namespace
}  // namespace kilnbook
