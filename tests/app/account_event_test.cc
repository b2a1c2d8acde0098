#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "app/stats_app.h"
#include "log/log_event.h"
#include "log/number_text.h"
#include "support/run_program.h"
#include "support/tally_list.h"
#include "support/temp_dir.h"

namespace kilnbook {
namespace {

// Without SERVER_NAME the single server is registered under the empty name,
// which is also the current name before any server runs, so events can be
// routed without running the stages.
class AccountEventTest : public TempDirTest {
 protected:
  void SetUp() override {
    TempDirTest::SetUp();
    WriteFile("kilnbook.cfg", "MIN_KILLS 0\n");
    app_ = std::make_unique<StatsApp>();
    ASSERT_NE(Current(), nullptr);
  }

  const Server* Current() const {
    return app_->serverList().Find(app_->currentServerName());
  }
  const ServerCounters& Counters() const { return Current()->counters(); }

  static LogEvent Event(LogEventKind kind) {
    LogEvent event;
    event.kind = kind;
    return event;
  }

  static LogEvent Red(int32_t red, int32_t blue) {
    LogEvent event = Event(LogEventKind::Red);
    event.redScore = red;
    event.blueScore = blue;
    return event;
  }

  static LogEvent Userinfo(int32_t slot, const std::string& name,
                           const std::string& team) {
    LogEvent event = Event(LogEventKind::ClientUserinfoChanged);
    event.slot = slot;
    event.name = name;
    event.htmlName = "<" + name + ">";
    event.plainName = "p" + name;
    event.head = "head";
    event.model = team;
    return event;
  }

  std::unique_ptr<StatsApp> app_;
};

TEST_F(AccountEventTest, RedLineAddsBothScoresAndCountsTheWinner) {
  struct Case {
    int32_t red, blue;
    int32_t redWin, blueWin;
  } cases[] = {
      {3, 5, 0, 1},
      {4, 4, 0, 0},
      {-2, 0, 0, 1},
      {5, 3, 1, 0},
      {0, -2, 1, 0},
      {UNSET, UNSET, 0, 0},
      {INT32_MIN, INT32_MAX, 0, 1},
  };
  for (const Case& c : cases) {
    ServerCounters before = Counters();
    app_->AccountEvent(Red(c.red, c.blue));
    const ServerCounters& after = Counters();
    std::string row =
        "red " + std::to_string(c.red) + " blue " + std::to_string(c.blue);
    EXPECT_EQ(after.REDSCORE, WrapAdd(before.REDSCORE, c.red)) << row;
    EXPECT_EQ(after.BLUESCORE, WrapAdd(before.BLUESCORE, c.blue)) << row;
    EXPECT_EQ(after.REDWIN - before.REDWIN, c.redWin) << row;
    EXPECT_EQ(after.BLUEWIN - before.BLUEWIN, c.blueWin) << row;
  }
}

TEST_F(AccountEventTest, CountingKindsReachTheirCounters) {
  app_->AccountEvent(Event(LogEventKind::InitGame));
  app_->AccountEvent(Event(LogEventKind::ShutdownGame));
  app_->AccountEvent(Event(LogEventKind::ShutdownGame));
  app_->AccountEvent(Event(LogEventKind::Exit));
  app_->AccountEvent(Event(LogEventKind::ClientConnect));
  EXPECT_EQ(Counters().GAMEINIT, 1);
  EXPECT_EQ(Counters().GAMESHUTDOWN, 2);
  EXPECT_EQ(Counters().GAMEEXIT, 1);
  EXPECT_EQ(Counters().CLIENTCONNECT, 1);
}

TEST_F(AccountEventTest, PlayerEventsPassTheirFieldsAsCarried) {
  app_->AccountEvent(Userinfo(2, "Al", "multi"));
  app_->AccountEvent(Userinfo(5, "Bo", "multi"));
  LogEvent kill = Event(LogEventKind::Kill);
  kill.killer = 2;
  kill.victim = 5;  // meansOfDeath stays UNSET, as for a line without code
  app_->AccountEvent(kill);
  LogEvent score = Event(LogEventKind::Score);
  score.slot = 2;
  score.score = 7;
  score.ping = 80;
  app_->AccountEvent(score);
  const PlayerStats& al = Current()->playerTable().players().at("Al")->stats();
  EXPECT_EQ(al.htmlName, "<Al>");
  EXPECT_EQ(al.plainName, "pAl");
  EXPECT_EQ(Listed(al.models), (TallyList{{"head", 1}}));
  EXPECT_EQ(Listed(al.teams), (TallyList{{"multi", 1}}));
  EXPECT_EQ(al.killWeapons, (CodeTally{{UNSET, 1}}));
  EXPECT_EQ(Listed(al.teamKillVictims), (TallyList{{"Bo", 1}}));
  EXPECT_EQ(al.score, 7);
  EXPECT_EQ(al.ping, 40);
  EXPECT_EQ(Counters().KILLS, 1);
  EXPECT_EQ(Counters().TEAMKILLS, 1);
  EXPECT_EQ(Counters().PING, 40);
}

TEST_F(AccountEventTest, UserinfoWithoutValuesBindsTheEmptyName) {
  std::string out = CaptureStdout(
      [&] { app_->AccountEvent(Event(LogEventKind::ClientUserinfoChanged)); });
  EXPECT_EQ(out,
            "Your logfile has proably not started on game init\n"
            "Fix it and run again\n"
            "Your logfile has proably not started on game init\n"
            "Fix it and run again\n"
            "Your logfile has proably not started on game init\n"
            "Fix it and run again\n");
  EXPECT_EQ(Listed(Current()->playerTable().players().at("")->stats().models),
            (TallyList{{"", 1}}));
}

TEST_F(AccountEventTest, OtherKindsChangeNothing) {
  app_->AccountEvent(Userinfo(2, "Al", "multi"));
  ServerCounters before = Counters();
  size_t players = Current()->playerTable().players().size();
  std::string out = CaptureStdout([&] {
    for (LogEventKind kind :
         {LogEventKind::ClientBegin, LogEventKind::Item, LogEventKind::Say,
          LogEventKind::ClientDisconnect, LogEventKind::Unrecognized,
          static_cast<LogEventKind>(12), static_cast<LogEventKind>(-2)}) {
      LogEvent event = Userinfo(2, "Zed", "multi");
      event.kind = kind;
      event.killer = 2;
      event.victim = 2;
      event.redScore = 1;
      event.ping = 80;
      app_->AccountEvent(event);
    }
  });
  EXPECT_EQ(out, "");
  const ServerCounters& after = Counters();
  EXPECT_EQ(after.REDSCORE, before.REDSCORE);
  EXPECT_EQ(after.KILLS, before.KILLS);
  EXPECT_EQ(after.PING, before.PING);
  EXPECT_EQ(after.CLIENTCONNECT, before.CLIENTCONNECT);
  EXPECT_EQ(after.GAMEINIT, before.GAMEINIT);
  EXPECT_EQ(Current()->playerTable().players().size(), players);
  EXPECT_EQ(Current()->playerTable().players().at("Al")->stats().suicides, 0);
}

}  // namespace
}  // namespace kilnbook
