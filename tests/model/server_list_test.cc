#include "model/server_list.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "config/config_file.h"
#include "support/map_keys.h"
#include "support/run_program.h"

namespace kilnbook {
namespace {

class ServerListTest : public ::testing::Test {
 protected:
  ServerListTest()
      : file_(ConfigFile::FromText("MIN_KILLS 0\n")), list_(file_) {}

  std::vector<std::string> Names() const { return Keys(list_.servers()); }

  ConfigFile file_;
  ServerList list_;
};

TEST_F(ServerListTest, ServersOrderBytewiseWithPrefixFirst) {
  for (const char* name : {"b", "A", "a", "\xC3\xA9t\xC3\xA9", "ab", "", "~"}) {
    list_.AddServer(name, "", "");
  }
  EXPECT_EQ(Names(), (std::vector<std::string>{"", "A", "a", "ab", "b", "~",
                                               "\xC3\xA9t\xC3\xA9"}));
}

TEST_F(ServerListTest, AddServerReplacesAndDiscardsState) {
  list_.AddServer("Main", "old", "old.log");
  list_.InitGame("Main");
  list_.ClientUserinfoChanged("Main", 2, "Al", "Al", "Al", "h", "multi");
  list_.AddServer("Main", "new", "new.log");
  ASSERT_EQ(Names(), (std::vector<std::string>{"Main"}));
  const Server* server = list_.Find("Main");
  ASSERT_NE(server, nullptr);
  EXPECT_EQ(server->address(), "new");
  EXPECT_EQ(server->logFile(), "new.log");
  EXPECT_EQ(server->counters().GAMEINIT, 0);
  EXPECT_EQ(server->playerTable().players().count("Al"), 0u);
}

TEST_F(ServerListTest, EventsReachOnlyTheNamedServer) {
  list_.AddServer("One", "", "");
  list_.AddServer("Two", "", "");
  list_.InitGame("Two");
  list_.ShutdownGame("Two");
  list_.Exit("Two");
  list_.AddRedScore("Two", 4);
  list_.AddBlueScore("Two", 6);
  list_.RedWin("Two");
  list_.BlueWin("Two");
  list_.ClientConnect("Two", 3);
  list_.ClientUserinfoChanged("Two", 3, "Al", "Al", "Al", "h", "multi");
  list_.ClientUserinfoChanged("Two", 4, "Bo", "Bo", "Bo", "h", "multi");
  list_.Kill("Two", 3, 4, 17);
  list_.Score("Two", 3, 12, 60);
  const ServerCounters& two = list_.Find("Two")->counters();
  EXPECT_EQ(two.GAMEINIT, 1);
  EXPECT_EQ(two.GAMESHUTDOWN, 1);
  EXPECT_EQ(two.GAMEEXIT, 1);
  EXPECT_EQ(two.REDSCORE, 4);
  EXPECT_EQ(two.BLUESCORE, 6);
  EXPECT_EQ(two.REDWIN, 1);
  EXPECT_EQ(two.BLUEWIN, 1);
  EXPECT_EQ(two.CLIENTCONNECT, 1);
  EXPECT_EQ(two.KILLS, 1);
  EXPECT_EQ(two.TEAMKILLS, 1);
  EXPECT_EQ(two.PING, 30);
  const PlayerStats& al =
      list_.Find("Two")->playerTable().players().at("Al")->stats();
  EXPECT_EQ(al.kills, 1);
  EXPECT_EQ(al.score, 12);
  const Server* one = list_.Find("One");
  EXPECT_EQ(one->counters().GAMEINIT, 0);
  EXPECT_EQ(one->counters().KILLS, 0);
  EXPECT_EQ(one->playerTable().players().size(), 2u);
}

TEST_F(ServerListTest, UnknownNamesCreateNothingAndStaySilent) {
  list_.AddServer("Main", "", "");
  std::string out = CaptureStdout([&] {
    list_.InitGame("main");
    list_.ShutdownGame("Mai");
    list_.Exit("Main ");
    list_.AddRedScore("x", 1);
    list_.AddBlueScore("x", 1);
    list_.RedWin("x");
    list_.BlueWin("x");
    list_.ClientConnect("x", 1);
    list_.ClientUserinfoChanged("x", 1, "Al", "Al", "Al", "h", "m");
    list_.Kill("x", 1, 2, 3);
    list_.Score("x", 1, 2, 3);
    EXPECT_EQ(list_.Find("x"), nullptr);
  });
  EXPECT_EQ(out, "");
  EXPECT_EQ(Names(), (std::vector<std::string>{"Main"}));
  EXPECT_EQ(list_.Find("Main")->counters().GAMEINIT, 0);
}

TEST_F(ServerListTest, FindReportedNamesTheMissingServer) {
  list_.AddServer("Main", "", "");
  Server* found = nullptr;
  std::string out = CaptureStdout([&] { found = list_.FindReported("Main"); });
  EXPECT_EQ(out, "");
  EXPECT_EQ(found, list_.Find("Main"));
  struct Case {
    std::string name;
    std::string out;
  } cases[] = {
      {"Other", "Server does not exist under this name in the config: Other\n"},
      {"", "Server does not exist under this name in the config: \n"},
      {"%s %d", "Server does not exist under this name in the config: %s %d\n"},
  };
  const ServerList& constList = list_;
  for (const Case& c : cases) {
    out =
        CaptureStdout([&] { EXPECT_EQ(list_.FindReported(c.name), nullptr); });
    EXPECT_EQ(out, c.out);
    out = CaptureStdout(
        [&] { EXPECT_EQ(constList.FindReported(c.name), nullptr); });
    EXPECT_EQ(out, c.out);
  }
  EXPECT_EQ(Names(), (std::vector<std::string>{"Main"}));
}

}  // namespace
}  // namespace kilnbook
