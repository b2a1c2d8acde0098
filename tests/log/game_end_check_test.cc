// Which lines end a game, whole and fed in pieces.
#include "log/game_end_check.h"

#include <gtest/gtest.h>

#include <string>

namespace kilnbook {
namespace {

TEST(GameEndCheckTest, OnlyTheServersEventEndsAGame) {
  struct Case {
    std::string line;
    bool endsGame;
  } cases[] = {
      {"  0:59 ShutdownGame:", true},
      {" 12:00 ShutdownGame:\r", true},
      {"1000:00 ShutdownGame:", true},  // a wider time column
      {"0:0ShutdownGame:", true},
      {"\t3:07\t ShutdownGame: extra", true},
      // Chat, names and anything but the event itself end nothing.
      {"  0:59 say: ShutdownGame:", false},
      {"  0:59 ClientUserinfoChanged: 2 n\\ShutdownGame:\\t\\1", false},
      {"  0:59 Kill: 1 2 3: ShutdownGame: killed x by MOD_MP40", false},
      {"ShutdownGame:", false},  // no time stamp
      {"  :59 ShutdownGame:", false},
      {"  0: ShutdownGame:", false},
      {"  0:59 ShutdownGame", false},
      {"  0:59 shutdownGame:", false},
      {"  0:5x ShutdownGame:", false},
      {"", false},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(EndsGame(c.line), c.endsGame) << c.line;
    // The same answer whatever pieces the line arrives in.
    for (size_t cut = 0; cut <= c.line.size(); ++cut) {
      GameEndCheck check;
      check.Feed(std::string_view(c.line).substr(0, cut));
      check.Feed(std::string_view(c.line).substr(cut));
      EXPECT_EQ(check.endsGame(), c.endsGame) << c.line << " cut at " << cut;
    }
  }
}

}  // namespace
}  // namespace kilnbook
