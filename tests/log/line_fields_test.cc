// The values the extended statistics read from a line themselves.
#include "log/line_fields.h"

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
      {"  9:59 Exit: Timelimit hit.", 599},
      {"123:45 Kill: 1 2 3: x", 7425},
      {"1234:56Kill: 1 2 3: x", 74096},  // minutes fill the column
      {"  0:7  say: x", 7},
      // Anything else in the column gives no time.
      {"       InitGame:", std::nullopt},
      {" 10-00 Kill:", std::nullopt},
      {"  5:   Kill:", std::nullopt},
      {" 1:2:3 Kill:", std::nullopt},
      {"", std::nullopt},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(TimeColumnSeconds(c.line), c.seconds) << c.line;
  }
}

TEST(LineFieldsTest, InitGameMapName) {
  struct Case {
    std::string args;  // after "InitGame:"
    std::string map;
  } cases[] = {
      {" \\sv_hostname\\Main\\mapname\\mp_beach\\sv_maxclients\\16",
       "mp_beach"},
      {" \\mapname\\mp_depot\r", "mp_depot"},
      // Keys are whole, and the first one counts.
      {" \\sv_hostname\\mapname\\xmapname\\a\\mapname\\b\\mapname\\c", "b"},
      // Cleaned like every name that enters.
      {" \\mapname\\<Fish & \"Chips\"|*`'>", "Fish &amp; &quot;Chips&quot;"},
      {" \\mapname", ""},
      {"", ""},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(InitGameMapName("  0:00 InitGame:" + c.args), c.map) << c.args;
  }
}

TEST(LineFieldsTest, DisconnectSlot) {
  EXPECT_EQ(DisconnectSlot("  3:10 ClientDisconnect: 12\r"), 12);
  EXPECT_EQ(DisconnectSlot("  3:10 ClientDisconnect:"), 0);
}

}  // namespace
}  // namespace kilnbook
