// The state file text of the extended statistics, written and read back.
#include "extra/extra_state.h"

#include <gtest/gtest.h>

#include <string>

#include "extra/calendar.h"

namespace kilnbook {
namespace {

constexpr char kState[] =
    "KILNBOOK_EXTRA|1\n"
    "MAP|mp_beach|12|340|5|6\n"
    "MAP|mp_d&amp;pot|1|0|0|0\n"
    "DAY|2026-02-28|3|99|4\n"
    "DAY|2026-03-01|0|2|0\n"
    "PLR||1772359200|1772359200|1|0|1000000\n"
    "PLR|^1Ann \xE9\r|1772359200|1772445600|7|3605|1015632\n"
    "PMP|^1Ann \xE9\r|mp_beach|5|30|12\n"
    "PMP|^1Ann \xE9\r|mp_d&amp;pot|2|0|1\n"
    "PLR|world_entity|||0|0|-984368\n"
    "PMP|world_entity|mp_beach|0|4|0\n";

TEST(ExtraStateTest, TextReadsBackToTheSameBytes) {
  ExtraRecords records;
  ASSERT_TRUE(ReadExtraState(kState, records));
  EXPECT_EQ(ExtraStateText(records), kState);
  const PlayerExtra& ann = records.players.at("^1Ann \xE9\r");
  EXPECT_EQ(ann.firstSeen, 1772359200);
  EXPECT_EQ(ann.lastSeen, 1772445600);
  EXPECT_EQ(ann.games, 7);
  EXPECT_EQ(ann.secondsPlayed, 3605);
  EXPECT_EQ(ann.rating, 1015632);
  EXPECT_EQ(ann.maps.at("mp_beach").kills, 30);
  EXPECT_FALSE(records.players.at("world_entity").lastSeen.has_value());
  EXPECT_EQ(records.days.at(DayNumber({2026, 2, 28})).kills, 99);
  EXPECT_EQ(records.maps.at("mp_beach").alliesWins, 6);
}

TEST(ExtraStateTest, EmptyTextGivesEmptyRecords) {
  ExtraRecords records;
  records.maps["x"];
  ASSERT_TRUE(ReadExtraState("", records));
  EXPECT_TRUE(records.maps.empty());
  EXPECT_EQ(ExtraStateText(records), "KILNBOOK_EXTRA|1\n");
}

TEST(ExtraStateTest, DamagedLinesAreSkipped) {
  const char* damaged[] = {
      "MAP|m|1|2|3\n",                       // a field short
      "MAP|m|1|2|3|4|5\n",                   // a field too many
      "MAP|m|1|2|3|x\n",                     // not a number
      "MAP|m|1|2|3|-4\n",                    // a negative count
      "MAP|m|1|2|3| 4\n",                    // a blank
      "MAP|m|1|2|3|+4\n",                    // a sign
      "MAP|m|1|2|3|\n",                      // an empty count
      "MAP|m<b>|1|2|3|4\n",                  // a byte no cleaned name holds
      "MAP|m|99999999999999999999|2|3|4\n",  // beyond 64 bits
      "DAY|2026-02-30|1|2|3\n",              // no such date
      "DAY|26-02-01|1|2|3\n",
      "PLR|a|x||0|0|1000000\n",
      "PLR|a|||0|0|\n",                     // the rating is never empty
      "PLR|a|-5||0|0|1000000\n",            // a time before the epoch
      "PLR|a|||0|0|1000000000000000000\n",  // an absurd rating
      "PMP|a|m|1|2\n",
      "PMP|a'|m|1|2|3\n",
      "XYZ|a|b\n",
      "mp_beach\n",
      "\n",
      "PLR|a|||0|0|1000000",  // no line feed: maybe cut short
  };
  for (const char* line : damaged) {
    ExtraRecords records;
    std::string text = std::string("KILNBOOK_EXTRA|1\nMAP|ok|1|0|0|0\n") + line;
    ASSERT_TRUE(ReadExtraState(text, records)) << line;
    EXPECT_EQ(ExtraStateText(records), "KILNBOOK_EXTRA|1\nMAP|ok|1|0|0|0\n")
        << line;
  }
}

TEST(ExtraStateTest, LaterRecordsReplaceEarlierOnes) {
  ExtraRecords records;
  ASSERT_TRUE(
      ReadExtraState("MAP|m|1|1|1|1\n"
                     "PMP|a|m|1|2|3\n"
                     "PLR|a|5|6|1|1|1\n"
                     "PLR|a|7|8|2|2|2\n"
                     "MAP|m|2|2|2|2\n",
                     records));
  // A text without its header still gives what its lines hold.
  EXPECT_EQ(ExtraStateText(records),
            "KILNBOOK_EXTRA|1\n"
            "MAP|m|2|2|2|2\n"
            "PLR|a|7|8|2|2|2\n"
            "PMP|a|m|1|2|3\n");
}

TEST(ExtraStateTest, AnotherVersionIsNotRead) {
  ExtraRecords records;
  records.maps["x"];
  EXPECT_FALSE(ReadExtraState("KILNBOOK_EXTRA|2\nMAP|m|1|1|1|1\n", records));
  EXPECT_TRUE(records.maps.empty());
  EXPECT_TRUE(records.players.empty());
}

}  // namespace
}  // namespace kilnbook
