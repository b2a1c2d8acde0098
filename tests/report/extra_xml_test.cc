// The blocks of the extended statistics, and the documents that carry them:
// with an extension a document gains exactly these blocks, without one it
// keeps every byte.
#include "report/extra_xml.h"

#include <gtest/gtest.h>

#include <string>

#include "report/player_xml.h"
#include "report/summary_xml.h"
#include "support/scoped_time_zone.h"

namespace kilnbook {
namespace {

constexpr char kState[] =
    "KILNBOOK_EXTRA|1\n"
    "MAP|mp_beach|12|340|5|6\n"
    "MAP|mp_d&amp;pot|1|0|0|0\n"
    "DAY|2026-02-28|9|9|9\n"
    "DAY|2026-03-01|3|99|4\n"
    "DAY|2026-05-29|1|2|1\n"
    "PLR|Ann|1772359200|1772445600|7|3605|1015500\n"
    "PMP|Ann|mp_beach|5|30|12\n"
    "PMP|Ann|mp_d&amp;pot|5|31|0\n";

constexpr std::time_t kNow = 1780056000;  // 2026-05-29 12:00 UTC

// Inserts `inserted` after the first `anchor` at or after `pos`; returns the
// position after the insertion.
size_t InsertAfter(std::string& text, const std::string& anchor,
                   const std::string& inserted, size_t pos = 0) {
  size_t at = text.find(anchor, pos);
  EXPECT_NE(at, std::string::npos) << anchor;
  if (at == std::string::npos) {
    return std::string::npos;
  }
  text.insert(at + anchor.size(), inserted);
  return at + anchor.size() + inserted.size();
}

class ExtraXmlTest : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(stats_.LoadState(kState)); }

  PlayerActivity Activity(std::string_view name) const {
    return ActivityOf(stats_, name, kNow);
  }

  ScopedTimeZone zone_{"UTC0"};
  ExtraStats stats_;
  ExtraReport extra_{stats_, kNow};
};

TEST_F(ExtraXmlTest, PlayerActivityRatingAndFavouriteMap) {
  EXPECT_EQ(PlayerExtraXml(Activity("Ann"), DaysInactive::kShown),
            "\t<ACTIVITY>\n"
            "\t\t<FIRSTSEEN>2026-03-01 10:00</FIRSTSEEN>\n"
            "\t\t<LASTSEEN>2026-03-02 10:00</LASTSEEN>\n"
            "\t\t<DAYSINACTIVE>88</DAYSINACTIVE>\n"
            "\t\t<GAMES>7</GAMES>\n"
            "\t\t<TIMEPLAYED>3605</TIMEPLAYED>\n"
            "\t</ACTIVITY>\n"
            "\t<RATING>1016</RATING>\n"
            "\t<FAVOURITEMAP>mp_d&amp;pot</FAVOURITEMAP>\n");
  // Player pages leave out what changes only because time passes.
  EXPECT_EQ(PlayerExtraXml(Activity("Ann"), DaysInactive::kLeftOut),
            "\t<ACTIVITY>\n"
            "\t\t<FIRSTSEEN>2026-03-01 10:00</FIRSTSEEN>\n"
            "\t\t<LASTSEEN>2026-03-02 10:00</LASTSEEN>\n"
            "\t\t<GAMES>7</GAMES>\n"
            "\t\t<TIMEPLAYED>3605</TIMEPLAYED>\n"
            "\t</ACTIVITY>\n"
            "\t<RATING>1016</RATING>\n"
            "\t<FAVOURITEMAP>mp_d&amp;pot</FAVOURITEMAP>\n");
  // A player the extended statistics never saw (saved before they were
  // turned on, or the table's own "Player").
  EXPECT_EQ(PlayerExtraXml(Activity("Player"), DaysInactive::kShown),
            "\t<ACTIVITY>\n"
            "\t\t<FIRSTSEEN></FIRSTSEEN>\n"
            "\t\t<LASTSEEN></LASTSEEN>\n"
            "\t\t<DAYSINACTIVE></DAYSINACTIVE>\n"
            "\t\t<GAMES>0</GAMES>\n"
            "\t\t<TIMEPLAYED>0</TIMEPLAYED>\n"
            "\t</ACTIVITY>\n"
            "\t<RATING>1000</RATING>\n"
            "\t<FAVOURITEMAP></FAVOURITEMAP>\n");
}

TEST_F(ExtraXmlTest, MapBlocks) {
  EXPECT_EQ(PlayerMapsXml(Activity("Ann")),
            "\t<MAPS>\n"
            "\t\t<MAP>\n\t\t\t<NAME>mp_beach</NAME>\n\t\t\t<GAMES>5</GAMES>\n"
            "\t\t\t<KILLS>30</KILLS>\n\t\t\t<DEATHS>12</DEATHS>\n\t\t</MAP>\n"
            "\t\t<MAP>\n\t\t\t<NAME>mp_d&amp;pot</NAME>\n"
            "\t\t\t<GAMES>5</GAMES>\n\t\t\t<KILLS>31</KILLS>\n"
            "\t\t\t<DEATHS>0</DEATHS>\n\t\t</MAP>\n"
            "\t</MAPS>\n");
  EXPECT_EQ(PlayerMapsXml(Activity("Nobody")), "\t<MAPS>\n\t</MAPS>\n");
  EXPECT_EQ(ServerMapsXml(stats_),
            "<MAPS>\n"
            "\t<MAP>\n\t\t<NAME>mp_beach</NAME>\n\t\t<GAMES>12</GAMES>\n"
            "\t\t<KILLS>340</KILLS>\n\t\t<AXISWINS>5</AXISWINS>\n"
            "\t\t<ALLIESWINS>6</ALLIESWINS>\n\t</MAP>\n"
            "\t<MAP>\n\t\t<NAME>mp_d&amp;pot</NAME>\n\t\t<GAMES>1</GAMES>\n"
            "\t\t<KILLS>0</KILLS>\n\t\t<AXISWINS>0</AXISWINS>\n"
            "\t\t<ALLIESWINS>0</ALLIESWINS>\n\t</MAP>\n"
            "</MAPS>\n");
  EXPECT_EQ(ServerMapsXml(ExtraStats()), "<MAPS>\n</MAPS>\n");
}

std::string DayXml(int tabs, const char* date, const char* games,
                   const char* kills, const char* players) {
  std::string t(static_cast<size_t>(tabs), '\t');
  return t + "<DAY>\n" + t + "\t<DATE>" + date + "</DATE>\n" + t + "\t<GAMES>" +
         games + "</GAMES>\n" + t + "\t<KILLS>" + kills + "</KILLS>\n" + t +
         "\t<PLAYERS>" + players + "</PLAYERS>\n" + t + "</DAY>\n";
}

TEST_F(ExtraXmlTest, HistoryHasTheLastNinetyDaysOldestFirst) {
  std::string history = HistoryXml(stats_, kNow, 2);
  std::string expected = "\t\t<HISTORY>\n";
  expected += DayXml(3, "2026-03-01", "3", "99", "4");  // 2026-02-28 is older
  expected += DayXml(3, "2026-03-02", "0", "0", "0");
  EXPECT_EQ(history.substr(0, expected.size()), expected);
  std::string tail = DayXml(3, "2026-05-28", "0", "0", "0") +
                     DayXml(3, "2026-05-29", "1", "2", "1") +
                     "\t\t</HISTORY>\n";
  ASSERT_GE(history.size(), tail.size());
  EXPECT_EQ(history.substr(history.size() - tail.size()), tail);
  size_t days = 0;
  for (size_t at = history.find("<DAY>"); at != std::string::npos;
       at = history.find("<DAY>", at + 1)) {
    ++days;
  }
  EXPECT_EQ(days, 90u);
}

class ExtendedDocumentTest : public ExtraXmlTest {
 protected:
  ExtendedDocumentTest() {
    servers_.AddServer("Main", "1.2.3.4", "g.log");
    servers_.AddServer("Other", "5.6.7.8", "o.log");
    PlayerStats ann;
    ann.plainName = "Ann";
    ann.kills = 3;
    main().playerTable().ReplacePlayer("Ann").Restore(ann);
    main().PrunePlayers();
  }

  Server& main() { return *servers_.Find("Main"); }
  ReportContext Context() {
    return ReportContext{config_, file_, "Main", "1.2.3.4"};
  }

  ConfigFile file_ = ConfigFile::FromText("MIN_KILLS 0\n");
  Config config_{file_};
  ServerList servers_{file_};
  std::tm time_{};
};

TEST_F(ExtendedDocumentTest, MainDocumentGainsOnlyTheNewBlocks) {
  std::string off = MainXml(Context(), servers_, SortType::KILLS, time_);
  EXPECT_EQ(MainXml(Context(), servers_, SortType::KILLS, time_, nullptr), off);
  // Every listed player (Ann, "Player", "world_entity") gains its blocks
  // after STATS; the server's MAPS and HISTORY follow PLAYERS.
  std::string expected = off;
  size_t pos = expected.find("<PLAYERS>");
  for (const char* name : {"Ann", "Player", "world_entity"}) {
    pos =
        InsertAfter(expected, "\t</STATS>\n",
                    PlayerExtraXml(Activity(name), DaysInactive::kShown), pos);
  }
  InsertAfter(expected, "</PLAYERS>\n",
              ServerMapsXml(stats_) + HistoryXml(stats_, kNow, 0));
  std::string on =
      MainXml(Context(), servers_, SortType::KILLS, time_, &extra_);
  EXPECT_EQ(on, expected);
  EXPECT_NE(on.find("<NAME>Ann</NAME>\n\t<PLAINNAME>Ann</PLAINNAME>\n"),
            std::string::npos);
  EXPECT_NE(on.find("<RATING>1016</RATING>\n\t<FAVOURITEMAP>mp_d&amp;pot"),
            std::string::npos);
}

TEST_F(ExtendedDocumentTest, PlayerDocumentGainsOnlyTheNewBlocks) {
  const Player& ann = *main().playerTable().players().at("Ann");
  std::string off = PlayerDocumentXml(ann);
  EXPECT_EQ(PlayerDocumentXml(ann, nullptr), off);
  std::string expected = off;
  InsertAfter(expected, "\t</STATS>\n",
              PlayerExtraXml(Activity("Ann"), DaysInactive::kLeftOut));
  InsertAfter(
      expected, "\t</MODELS>\n",
      PlayerMapsXml(Activity("Ann")) + PlayerGamesXml(stats_.games(), "Ann"));
  EXPECT_EQ(PlayerDocumentXml(ann, &extra_), expected);
  EXPECT_EQ(PlayerDetailXml(ann, &extra_),
            expected.substr(
                expected.find("<PLAYER>\n"),
                expected.rfind("</KILNBOOKS>") - expected.find("<PLAYER>\n")));
}

TEST_F(ExtendedDocumentTest, FrontDocumentGainsEachServersHistory) {
  std::string off = FrontXml(Context(), servers_, time_);
  EXPECT_EQ(FrontXml(Context(), servers_, time_, nullptr), off);
  // "Other" has no statistics yet: its history is all zeros.
  ExtraStatsMap map;
  map.emplace("Main", ExtraStats());
  ASSERT_TRUE(map.at("Main").LoadState(kState));
  ExtraFrontReport front{map, kNow};
  std::string expected = off;
  size_t pos = InsertAfter(expected, "<TOTALPLAYERS>3</TOTALPLAYERS>\n",
                           HistoryXml(stats_, kNow, 2));
  InsertAfter(expected, "</TOTALPLAYERS>\n", HistoryXml(ExtraStats(), kNow, 2),
              pos);
  EXPECT_EQ(FrontXml(Context(), servers_, time_, &front), expected);
}

}  // namespace
}  // namespace kilnbook
