// The values the extended statistics read from a line themselves.
#include "extra/line_fields.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>

namespace kilnbook {
namespace {

TEST(LineFieldsTest, TimeColumnSeconds) {
  struct Case {
    std::string line;
    std::optional<int64_t> seconds;
  } cases[] = {
      {"  0:00 InitGame:", 0},
      {"  9:59 Exit: Timelimit hit.", 599},
      {" 10:00 ShutdownGame:", 600},
      {"123:45 Kill: 1 2 3: x", 7425},
      {"1234:56Kill: 1 2 3: x", 74096},  // minutes fill the column
      {"  0:7  say: x", 7},
      {"  0:00", 0},  // the column alone
      // Anything else in the column gives no time.
      {"       InitGame:", std::nullopt},
      {" 10-00 Kill:", std::nullopt},
      {"  :30  Kill:", std::nullopt},
      {"  5:   Kill:", std::nullopt},
      {" 1:2:3 Kill:", std::nullopt},
      {"x 1:00 Kill:", std::nullopt},
      {"", std::nullopt},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(TimeColumnSeconds(c.line), c.seconds) << c.line;
  }
}

TEST(LineFieldsTest, InitGameMapName) {
  struct Case {
    std::string line;
    std::string map;
  } cases[] = {
      {"  0:00 InitGame: \\sv_hostname\\Main\\g_gametype\\5\\mapname\\mp_beach"
       "\\sv_maxclients\\16",
       "mp_beach"},
      {"  0:00 InitGame: \\mapname\\mp_depot", "mp_depot"},
      {"  0:00 InitGame: \\mapname\\mp_depot\r", "mp_depot"},
      // Keys are whole: a value or a longer key that holds the word is not
      // the key.
      {"  0:00 InitGame: \\sv_hostname\\mapname\\xmapname\\a\\mapname\\b", "b"},
      {"  0:00 InitGame: \\mapname\\first\\mapname\\second", "first"},
      // Cleaned like every name that enters.
      {"  0:00 InitGame: \\mapname\\<Fish & \"Chips\"|*`'>",
       "Fish &amp; &quot;Chips&quot;"},
      {"  0:00 InitGame: \\mapname\\", ""},
      {"  0:00 InitGame: \\mapname", ""},
      {"  0:00 InitGame: \\sv_hostname\\Main", ""},
      {"  0:00 InitGame:", ""},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(InitGameMapName(c.line), c.map) << c.line;
  }
}

TEST(LineFieldsTest, DisconnectSlotAndArguments) {
  EXPECT_EQ(DisconnectSlot("  3:10 ClientDisconnect: 4"), 4);
  EXPECT_EQ(DisconnectSlot("  3:10 ClientDisconnect: 12\r"), 12);
  EXPECT_EQ(DisconnectSlot("  3:10 ClientDisconnect:"), 0);
  EXPECT_EQ(LineArguments("  3:10 say: a: b"), " a: b");
  EXPECT_EQ(LineArguments("  3:10 no colon"), "");
  EXPECT_EQ(LineArguments("  3:10"), "");
}

}  // namespace
}  // namespace kilnbook
