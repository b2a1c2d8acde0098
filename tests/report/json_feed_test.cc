// The JSON feed: its content, valid JSON for any bytes in names, and valid
// against the schema in docs/.
#include "report/json_feed.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <nlohmann/json.hpp>
#include <string>
#include <vector>

#include "log/log_parser.h"
#include "log/text_clean.h"
#include "model/server_list.h"
#include "support/scoped_time_zone.h"
#include "support/temp_dir.h"

namespace kilnbook {
namespace {

using nlohmann::json;

constexpr std::time_t kNow = 1780056000;  // 2026-05-29 12:00 UTC
constexpr std::time_t kRun = 1772359200;  // 2026-03-01 10:00 UTC

TEST(FeedNameTest, EntitiesDecodedAndBytesMadeUtf8) {
  struct Case {
    std::string cleaned;
    std::string feed;
  } cases[] = {
      {"Fish &amp; Chips", "Fish & Chips"},
      {"&quot;Q&amp;A&quot;", "\"Q&A\""},
      {"&amp;amp;", "&amp;"},  // typed as "&amp;"
      {"&amp;lt;b&amp;gt;", "&lt;b&gt;"},
      {"&lt;", "&lt;"},  // no other entity is decoded
      {"^1Red^7Man", "^1Red^7Man"},
      {"caf\xC3\xA9", "caf\xC3\xA9"},                // valid UTF-8 stays
      {"caf\xE9", "caf\xC3\xA9"},                    // Latin-1 is converted
      {"\xC3", "\xC3\x83"},                          // a cut sequence
      {"\xC0\xAF", "\xC3\x80\xC2\xAF"},              // an overlong form
      {"\xED\xA0\x80", "\xC3\xAD\xC2\xA0\xC2\x80"},  // a surrogate
      {"\xF4\x90\x80\x80", "\xC3\xB4\xC2\x90\xC2\x80\xC2\x80"},  // > U+10FFFF
      {"\xF0\x9F\x92\xA3", "\xF0\x9F\x92\xA3"},                  // four bytes
      {std::string("a\0b\x01\x1F\x7F", 6), std::string("a\0b\x01\x1F\x7F", 6)},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(FeedName(c.cleaned), c.feed) << c.cleaned;
  }
  // Identifiers are not cleaned: their entities stay.
  EXPECT_EQ(FeedBytes("&amp;\xFF"), "&amp;\xC3\xBF");
}

// One server and its extended statistics, fed the same lines the way a
// run feeds them.
class FeedTest : public TempDirTest {
 protected:
  FeedTest() { servers_.AddServer(serverName_, "1.2.3.4:27960", "g.log"); }

  Server& server() { return *servers_.Find(serverName_); }

  void Feed(const std::vector<std::string>& lines) {
    stats_.BeginRun(kRun);
    for (const std::string& line : lines) {
      LogEvent e = LogParser::ParseLine(line);
      stats_.AccountLine(line, e);
      switch (e.kind) {
        case LogEventKind::InitGame:
          server().InitGame();
          break;
        case LogEventKind::ClientUserinfoChanged:
          server().ClientUserinfoChanged(e.slot, e.name, e.htmlName,
                                         e.plainName, e.head, e.model);
          break;
        case LogEventKind::Kill:
          server().Kill(e.killer, e.victim, e.meansOfDeath);
          break;
        case LogEventKind::Red:
          server().AddBlueScore(e.blueScore);
          server().AddRedScore(e.redScore);
          if (e.redScore < e.blueScore) {
            server().BlueWin();
          }
          break;
        case LogEventKind::ShutdownGame:
          server().ShutdownGame();
          break;
        default:
          break;
      }
    }
    stats_.EndRun();
    server().PrunePlayers();
  }

  // Writes the feed to `path`; its parsed value.
  json WriteFeed(const std::string& path) {
    std::string text = FeedJson(server(), stats_, kNow);
    WriteFile(path, text);
    return json::parse(text, nullptr, false);
  }

  ScopedTimeZone zone_{"UTC0"};
  std::string serverName_ = "Fish &amp; \"Chips\" \\";
  ConfigFile file_ =
      ConfigFile::FromText("MIN_KILLS 0\nEXCLUDE_PLAYERS Player\n");
  ServerList servers_{file_};
  ExtraStats stats_;
};

TEST_F(FeedTest, ServerTotalsMapsHistoryAndPlayers) {
  Feed({"  0:00 InitGame: \\sv_hostname\\x\\mapname\\mp_beach",
        "  0:01 ClientUserinfoChanged: 1 n\\^1Ann\\t\\1\\model\\multi/"
        "bluemedic1\\head\\bluemedic1\\c1\\1",
        "  0:01 ClientUserinfoChanged: 2 n\\Bob\\t\\2\\model\\multi_axis/"
        "redsoldier1\\head\\redsoldier1\\c1\\1",
        "  0:10 Kill: 1 2 17: Ann killed Bob by MOD_MP40",
        "  0:20 Kill: 1022 1 99: <world> killed Ann by MOD_WHATEVER",
        "  9:59 red:3  blue:5", " 10:00 ShutdownGame:"});
  json feed = WriteFeed("feed.json");
  ASSERT_FALSE(feed.is_discarded());
  json expected = json::parse(R"json({
    "schema_version": 1,
    "generated": "2026-05-29T12:00:00+00:00",
    "generated_unix": 1780056000,
    "server": {"name": "Fish & \"Chips\" \\", "address": "1.2.3.4:27960"},
    "totals": {"redscore": 3, "bluescore": 5, "redwin": 0, "bluewin": 1,
               "clientconnect": 0, "gameshutdown": 1, "gameexit": 0,
               "gameinit": 1, "kills": 2, "teamkills": 0, "ping": 0,
               "totalplayers": 3},
    "maps": [{"name": "mp_beach", "games": 1, "kills": 2, "axis_wins": 0,
              "allies_wins": 1}],
    "history": [{"date": "2026-03-01", "games": 1, "kills": 2,
                 "players": 2}],
    "players": [
      {"name": "Bob", "plain_name": "Bob",
       "stats": {"kills": 0, "deaths": 1, "teamkills": 0, "suicides": 0,
                 "ping": 0, "score": 0, "rate": 0, "ratio": 0},
       "targets": [], "killers": [{"name": "Ann", "times": 1}],
       "teamkill_victims": [], "kill_weapons": [],
       "death_weapons": [{"code": 17, "id": "MOD_MP40", "name": "MP40",
                          "times": 1}],
       "suicide_weapons": [],
       "teams": [{"id": "multi_axis", "name": "Axis", "times": 1}],
       "models": [{"id": "redsoldier1", "name": "Red Soldier (Axis)",
                   "times": 1}],
       "maps": [{"name": "mp_beach", "games": 1, "kills": 0, "deaths": 1}],
       "activity": {"first_seen": "2026-03-01T10:00:00+00:00",
                    "last_seen": "2026-03-01T10:00:00+00:00",
                    "days_inactive": 89, "games": 1, "time_played": 599},
       "rating": 992, "favourite_map": "mp_beach"},
      {"name": "^1Ann", "plain_name": "Ann",
       "stats": {"kills": 1, "deaths": 1, "teamkills": 0, "suicides": 0,
                 "ping": 0, "score": 0, "rate": 0, "ratio": 10},
       "targets": [{"name": "Bob", "times": 1}],
       "killers": [{"name": "", "times": 1}],
       "teamkill_victims": [],
       "kill_weapons": [{"code": 17, "id": "MOD_MP40", "name": "MP40",
                         "times": 1}],
       "death_weapons": [{"code": 99, "id": null, "name": null, "times": 1}],
       "suicide_weapons": [],
       "teams": [{"id": "multi", "name": "Allies", "times": 1}],
       "models": [{"id": "bluemedic1", "name": "Blue Medic (Allies)",
                   "times": 1}],
       "maps": [{"name": "mp_beach", "games": 1, "kills": 1, "deaths": 1}],
       "activity": {"first_seen": "2026-03-01T10:00:00+00:00",
                    "last_seen": "2026-03-01T10:00:00+00:00",
                    "days_inactive": 89, "games": 1, "time_played": 599},
       "rating": 1008, "favourite_map": "mp_beach"},
      {"name": "world_entity", "plain_name": "",
       "stats": {"kills": 1, "deaths": 0, "teamkills": 0, "suicides": 0,
                 "ping": 0, "score": 0, "rate": 0, "ratio": 10},
       "targets": [{"name": "Ann", "times": 1}], "killers": [],
       "teamkill_victims": [],
       "kill_weapons": [{"code": 99, "id": null, "name": null, "times": 1}],
       "death_weapons": [], "suicide_weapons": [], "teams": [], "models": [],
       "maps": [{"name": "mp_beach", "games": 0, "kills": 1, "deaths": 0}],
       "activity": {"first_seen": null, "last_seen": null,
                    "days_inactive": null, "games": 0, "time_played": 0},
       "rating": 1000, "favourite_map": "mp_beach"}
    ]})json");
  EXPECT_EQ(feed, expected) << feed.dump(1);
}

TEST_F(FeedTest, HostileNamesGiveValidJsonThatValidates) {
  // Every byte a name can hold: all but the line feed, the backslash that
  // ends the name, and what cleaning removes.
  std::string raw;
  for (int c = 1; c < 256; ++c) {
    raw += static_cast<char>(c);
  }
  std::string name;
  for (char c : raw) {
    if (c != '\n' && c != '\\') {
      name += c;
    }
  }
  Feed({"  0:00 InitGame: \\mapname\\m\xE9p \"&amp;\" \x01",
        "  0:01 ClientUserinfoChanged: 1 n\\" + name +
            "\\t\\1\\model\\\"q\xFF/x\\head\\\xC3\\c1\\1",
        "  0:01 ClientUserinfoChanged: 2 n\\" + std::string("\x80\xFE\"") +
            "\\t\\1\\model\\multi_axis/x\\head\\x\\c1\\1",
        "  0:10 Kill: 1 2 17: x", "  0:11 Kill: 2 1 17: x",
        "  1:00 ShutdownGame:"});
  json feed = WriteFeed("hostile.json");
  ASSERT_FALSE(feed.is_discarded());
  // Names sort by their bytes: 0x01..., world_entity, 0x80....
  ASSERT_EQ(feed["players"].size(), 3u);
  EXPECT_EQ(feed["players"][0]["name"], FeedName(CleanText(name)));
  EXPECT_EQ(feed["players"][1]["name"], "world_entity");
  EXPECT_EQ(feed["players"][2]["name"], "\xC2\x80\xC3\xBE\"");
  EXPECT_EQ(feed["players"][2]["targets"][0]["name"],
            FeedName(ColorizeName(CleanText(name), NameMode::kPlain)));
  EXPECT_EQ(feed["players"][0]["teams"][0]["id"], "\"q\xC3\xBF");
  EXPECT_EQ(feed["players"][0]["models"][0]["id"], "\xC3\x83");
  EXPECT_EQ(feed["maps"][0]["name"], "m\xC3\xA9p \"&amp;\" \x01");

  // Both feeds validate against the schema with a real validator.
  WriteFeed("feed.json");
  std::string command =
      std::string("python3 ") + KILNBOOK_SOURCE_DIR +
      "/tests/report/validate_feed.py " + KILNBOOK_SOURCE_DIR +
      "/docs/kilnbook-feed.schema.json feed.json hostile.json";
  int status = std::system(command.c_str());
  ASSERT_TRUE(WIFEXITED(status));
  if (WEXITSTATUS(status) == 77 || WEXITSTATUS(status) == 127) {
    GTEST_SKIP() << "python3 with jsonschema is needed";
  }
  EXPECT_EQ(WEXITSTATUS(status), 0);
}

}  // namespace
}  // namespace kilnbook
