// The JSON feed: its content, valid JSON for any bytes in names, and valid
// against the schema in docs/.
#include "report/json_feed.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <nlohmann/json.hpp>
#include <string>

#include "log/text_clean.h"
#include "model/server_list.h"
#include "support/scoped_time_zone.h"
#include "support/temp_dir.h"

namespace kilnbook {
namespace {

using nlohmann::json;

constexpr std::time_t kNow = 1780056000;  // 2026-05-29 12:00 UTC

TEST(FeedNameTest, EntitiesDecodedAndBytesMadeUtf8) {
  struct Case {
    std::string cleaned;
    std::string feed;
  } cases[] = {
      {"Fish &amp; Chips", "Fish & Chips"},
      {"&quot;Q&amp;A&quot;", "\"Q&A\""},
      {"&amp;amp;", "&amp;"},            // typed as "&amp;"
      {"&lt;", "&lt;"},                  // no other entity is decoded
      {"caf\xC3\xA9", "caf\xC3\xA9"},    // valid UTF-8 stays
      {"caf\xE9", "caf\xC3\xA9"},        // Latin-1 is converted
      {"\xC3", "\xC3\x83"},              // a cut sequence
      {"\xC0\xAF", "\xC3\x80\xC2\xAF"},  // an overlong form
      {"\xED\xA0\x80", "\xC3\xAD\xC2\xA0\xC2\x80"},              // a surrogate
      {"\xF4\x90\x80\x80", "\xC3\xB4\xC2\x90\xC2\x80\xC2\x80"},  // > U+10FFFF
      {"\xF0\x9F\x92\xA3", "\xF0\x9F\x92\xA3"},                  // four bytes
      {std::string("a\0b\x01\x1F\x7F", 6), std::string("a\0b\x01\x1F\x7F", 6)},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(FeedName(c.cleaned), c.feed) << c.cleaned;
  }
}

// Validates the feed at `path` against the schema with a real validator.
void ExpectValidFeed(const std::string& path) {
  std::string command = std::string("python3 ") + KILNBOOK_SOURCE_DIR +
                        "/tests/report/validate_feed.py " +
                        KILNBOOK_SOURCE_DIR +
                        "/docs/kilnbook-feed.schema.json " + path;
  int status = std::system(command.c_str());
  ASSERT_TRUE(WIFEXITED(status));
  if (WEXITSTATUS(status) == 77 || WEXITSTATUS(status) == 127) {
    GTEST_SKIP() << "python3 with jsonschema is needed";
  }
  EXPECT_EQ(WEXITSTATUS(status), 0) << path;
}

class FeedTest : public TempDirTest {
 protected:
  FeedTest() { servers_.AddServer(serverName_, "1.2.3.4:27960", "g.log"); }

  Server& server() { return *servers_.Find(serverName_); }

  void AddPlayer(const std::string& name, PlayerStats stats) {
    server().playerTable().ReplacePlayer(name).Restore(std::move(stats));
  }

  // Writes the feed to `path`; its parsed value.
  json WriteFeed(const std::string& path) {
    std::string text = FeedJson(server(), stats_, kNow);
    WriteFile(path, text);
    return json::parse(text, nullptr, false);
  }

  ScopedTimeZone zone_{"UTC0"};
  std::string serverName_ = "Fish &amp; &quot;Chips&quot; \\";
  ConfigFile file_ =
      ConfigFile::FromText("EXCLUDE_PLAYERS Player,world_entity\n");
  ServerList servers_{file_};
  ExtraStats stats_;
};

TEST_F(FeedTest, ServerTotalsMapsHistoryAndPlayers) {
  ServerCounters counters;
  counters.REDSCORE = 3;
  counters.KILLS = -7;
  server().RestoreCounters(counters);
  NamePool names;
  PlayerStats ann;
  ann.plainName = "Ann";
  ann.kills = 3;
  ann.deaths = 1;
  ann.score = 12;
  ann.teamKills = 1;
  ann.targets = NameTally(names, {{"Bob", 3}});
  ann.killers = NameTally(names, {{"", 1}});
  ann.teamKillVictims = NameTally(names, {{"^2Cy", 1}});
  ann.killWeapons = {{17, 3}};
  ann.deathWeapons = {{99, 1}};
  ann.teams = NameTally(names, {{"multi", 2}});
  ann.models = NameTally(names, {{"bluemedic1", 2}});
  AddPlayer("^1Ann", ann);
  AddPlayer("Cy", PlayerStats());  // never seen by the extended statistics
  ASSERT_TRUE(
      stats_.LoadState("MAP|mp_beach|1|2|0|1\nDAY|2026-03-01|1|2|2\n"
                       "PLR|^1Ann|1772359200|1772359200|1|599|1008000\n"
                       "PMP|^1Ann|mp_beach|1|1|1\n"));
  // Game 1 is no longer kept: the figures made in it say so.
  ASSERT_TRUE(stats_.LoadGamesState(
      "KILNBOOK_GAMES|1\nNEXT|3\n"
      "GAM|2|1772359200|mp_beach|600|2|1|30|^1Ann|Cy|17:3\n"
      "GPL|2|Cy|multi|0|3|0|0||590|1000000|992000|0|0|\n"
      "GPL|2|^1Ann|multi_axis|3|1|0|1|12|599|1000000|1008000|2|2|17\n"
      "BST|^1Ann|3|2|2|2|2|1\n"
      "REC|KILLS|3|2|^1Ann\nREC|SPREE|2|1|^1Ann\n"));
  server().PrunePlayers();
  json feed = WriteFeed("feed.json");
  ASSERT_FALSE(feed.is_discarded());
  json expected = json::parse(R"json({
    "schema_version": 1,
    "generated": "2026-05-29T12:00:00+00:00", "generated_unix": 1780056000,
    "server": {"name": "Fish & \"Chips\" \\", "address": "1.2.3.4:27960"},
    "totals": {"redscore": 3, "bluescore": 0, "redwin": 0, "bluewin": 0,
               "clientconnect": 0, "gameshutdown": 0, "gameexit": 0,
               "gameinit": 0, "kills": -7, "teamkills": 0, "ping": 0,
               "totalplayers": 2},
    "maps": [{"name": "mp_beach", "games": 1, "kills": 2, "axis_wins": 0,
              "allies_wins": 1}],
    "history": [{"date": "2026-03-01", "games": 1, "kills": 2, "players": 2}],
    "players": [
      {"name": "Cy", "plain_name": "",
       "stats": {"kills": 0, "deaths": 0, "teamkills": 0, "suicides": 0,
                 "ping": 0, "score": 0, "rate": 0, "ratio": 0},
       "targets": [], "killers": [], "teamkill_victims": [],
       "kill_weapons": [], "death_weapons": [], "suicide_weapons": [],
       "teams": [], "models": [], "maps": [],
       "activity": {"first_seen": null, "last_seen": null,
                    "days_inactive": null, "games": 0, "time_played": 0},
       "rating": 1000, "favourite_map": null, "bests": null},
      {"name": "^1Ann", "plain_name": "Ann",
       "stats": {"kills": 3, "deaths": 1, "teamkills": 1, "suicides": 0,
                 "ping": 0, "score": 12, "rate": 3, "ratio": 30},
       "targets": [{"name": "Bob", "times": 3}],
       "killers": [{"name": "", "times": 1}],
       "teamkill_victims": [{"name": "^2Cy", "times": 1}],
       "kill_weapons": [{"code": 17, "id": "MOD_MP40", "name": "MP40",
                         "times": 3}],
       "death_weapons": [{"code": 99, "id": null, "name": null, "times": 1}],
       "suicide_weapons": [],
       "teams": [{"id": "multi", "name": "Allies", "times": 2}],
       "models": [{"id": "bluemedic1", "name": "Blue Medic (Allies)",
                   "times": 2}],
       "maps": [{"name": "mp_beach", "games": 1, "kills": 1, "deaths": 1}],
       "activity": {"first_seen": "2026-03-01T10:00:00+00:00",
                    "last_seen": "2026-03-01T10:00:00+00:00",
                    "days_inactive": 89, "games": 1, "time_played": 599},
       "rating": 1008, "favourite_map": "mp_beach",
       "bests": {"kills": {"value": 3, "game": 2, "kept": true},
                 "spree": {"value": 2, "game": 2, "kept": true},
                 "multikill": {"value": 2, "game": 1, "kept": false}}}
    ],
    "games": [
      {"number": 2, "time": "2026-03-01T10:00:00+00:00",
       "time_unix": 1772359200, "map": "mp_beach", "length": 600,
       "scores": {"axis": 2, "allies": 1}, "winner": "Axis",
       "first_blood": {"killer": "^1Ann", "victim": "Cy", "time": 30},
       "weapons": [{"code": 17, "id": "MOD_MP40", "name": "MP40", "kills": 3}],
       "players": [
         {"name": "^1Ann", "plain_name": "Ann", "team": "Axis",
          "result": "Won", "score": 12, "kills": 3, "deaths": 1,
          "suicides": 0, "teamkills": 1, "time_played": 599,
          "rating_before": 1000, "rating_after": 1008, "best_spree": 2,
          "best_multikill": 2,
          "weapon": {"code": 17, "id": "MOD_MP40", "name": "MP40"}},
         {"name": "Cy", "plain_name": "Cy", "team": "Allies",
          "result": "Lost", "score": null, "kills": 0, "deaths": 3,
          "suicides": 0, "teamkills": 0, "time_played": 590,
          "rating_before": 1000, "rating_after": 992, "best_spree": 0,
          "best_multikill": 0, "weapon": null}]}
    ],
    "records": {
      "kills": [{"value": 3, "game": 2, "kept": true, "name": "^1Ann"}],
      "spree": [{"value": 2, "game": 1, "kept": false, "name": "^1Ann"}],
      "multikill": []}})json");
  EXPECT_EQ(feed, expected) << feed.dump(1);
  ExpectValidFeed("feed.json");
}

TEST_F(FeedTest, HostileNamesGiveValidJsonThatValidates) {
  // Every byte but the line feed, cleaned as a name from the log is.
  std::string raw;
  for (int c = 1; c < 256; ++c) {
    raw += c == '\n' ? 'x' : static_cast<char>(c);
  }
  std::string name = CleanText(raw);
  std::string other = CleanText("\x80\xFE\"");
  NamePool names;
  PlayerStats stats;
  stats.plainName = ColorizeName(name, NameMode::kPlain);
  stats.targets = NameTally(names, {{"\x80\xFE&quot;", 1}});
  // Identifiers are not cleaned.
  stats.teams = NameTally(names, {{"\"q\xFF", 1}});
  stats.models = NameTally(names, {{"\xC3", 1}});
  AddPlayer(name, stats);
  AddPlayer(other, PlayerStats());
  std::string map = CleanText("m\xE9p \"&\" \x01");
  ASSERT_TRUE(stats_.LoadState("MAP|" + map + "|1|0|0|0\nPLR|" + name +
                               "|1|1|1|1|1\nPMP|" + name + "|" + map +
                               "|1|0|0\n"));
  server().PrunePlayers();
  json feed = WriteFeed("hostile.json");
  ASSERT_FALSE(feed.is_discarded());
  ASSERT_EQ(feed["players"].size(), 2u);  // in byte order
  EXPECT_EQ(feed["players"][0]["name"], FeedName(name));
  EXPECT_EQ(feed["players"][0]["plain_name"], FeedName(stats.plainName));
  EXPECT_EQ(feed["players"][0]["targets"][0]["name"], "\xC2\x80\xC3\xBE\"");
  EXPECT_EQ(feed["players"][0]["teams"][0]["id"], "\"q\xC3\xBF");
  EXPECT_EQ(feed["players"][0]["models"][0]["id"], "\xC3\x83");
  EXPECT_EQ(feed["players"][0]["maps"][0]["name"], "m\xC3\xA9p \"&\" \x01");
  EXPECT_EQ(feed["players"][1]["name"], "\xC2\x80\xC3\xBE\"");

  ExpectValidFeed("hostile.json");
}

}  // namespace
}  // namespace kilnbook
