// The per-player detail document, compared whole.
#include "report/player_xml.h"

#include <gtest/gtest.h>

#include <string>

#include "support/expected_xml.h"

namespace kilnbook {
namespace {

TEST(PlayerXmlTest, TeamDisplayNames) {
  struct Case {
    const char* team;
    const char* expected;
  } cases[] = {
      {"multi_axis", "Axis"},    {"multi", "Allies"},
      {"Multi", "Unknown team"}, {"multi_allies", "Unknown team"},
      {"", "Unknown team"},      {"multi ", "Unknown team"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(TeamDisplayName(c.team), c.expected) << c.team;
  }
}

TEST(PlayerXmlTest, ModelDisplayNames) {
  struct Case {
    const char* model;
    const char* expected;
  } cases[] = {
      {"blueengineer1", "Blue Engineer (Allies)"},
      {"redengineer1", "Red Engineer (Axis)"},
      {"bluesoldier1", "Blue Soldier (Allies)"},
      {"redsoldier1", "Red Soldier (Axis)"},
      {"bluelieutenant1", "Blue Lieutenant (Allies)"},
      {"redlieutenant1", "Red Lieutenant (Axis)"},
      {"bluemedic1", "Blue Medic (Allies)"},
      {"redmedic1", "Red Medic (Axis)"},
      {"BlueMedic1", "Unknown model"},
      {"bluemedic", "Unknown model"},
      {"", "Unknown model"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(ModelDisplayName(c.model), c.expected) << c.model;
  }
}

class PlayerDocumentTest : public ::testing::Test {
 protected:
  ConfigFile file_ = ConfigFile::FromText("MIN_SCORE -10\nMIN_KILLS 0\n");
  NamePool names;
};

TEST_F(PlayerDocumentTest, PlayerWithoutTalliesKeepsEveryBlock) {
  Player player("Nobody", file_, names);
  EXPECT_EQ(PlayerDocumentXml(player),
            kDocumentHead + WeaponsSection() +
                PlayerStatsXml("Nobody", "", "",
                               {"0", "0", "0", "0", "0", "0", "0", "0"}) +
                kEmptyDetailBlocks + "</KILNBOOKS>\n");
}

TEST_F(PlayerDocumentTest, EveryTallyInKeyOrder) {
  Player player("^1Ann", file_, names);
  PlayerStats stats;
  stats.plainName = "Ann";
  stats.htmlName = "&lt;FONT COLOR=\"#FF0000\"&gt;Ann&lt;/FONT&gt;";
  stats.kills = 10;
  stats.deaths = 3;
  stats.ping = 45;
  stats.score = -7;
  stats.suicides = 1;
  stats.teamKills = 2;
  // Byte order: a prefix first, bytes above 0x7F after ASCII.
  stats.targets =
      NameTally(names, {{"\xC9ric", 1}, {"Bo", 2}, {"Bob", 5}, {"", 2}});
  stats.killers = NameTally(names, {{"", 1}, {"Bob", 2}});
  stats.teamKillVictims = NameTally(names, {{"^2Cy", 2}});
  stats.killWeapons = {{10, 1}, {3, 7}, {-1022, 2}};
  stats.deathWeapons = {{17, 3}};
  stats.suicideWeapons = {{6, 1}};
  stats.teams =
      NameTally(names, {{"multi_axis", 1}, {"multi", 3}, {"spectator", 2}});
  stats.models = NameTally(names, {{"redmedic1", 4}, {"Redmedic1", 1}});
  player.Restore(stats);
  std::string expected =
      PlayerStatsXml("^1Ann", "Ann", stats.htmlName,
                     {"10", "3", "2", "1", "45", "-7", "-2", "33"}) +
      R"(	<TARGETS>
		<TARGET>
			<NAME></NAME>
			<TIMES>2</TIMES>
		</TARGET>
		<TARGET>
			<NAME>Bo</NAME>
			<TIMES>2</TIMES>
		</TARGET>
		<TARGET>
			<NAME>Bob</NAME>
			<TIMES>5</TIMES>
		</TARGET>
		<TARGET>
			<NAME>)"
      "\xC9"
      R"(ric</NAME>
			<TIMES>1</TIMES>
		</TARGET>
	</TARGETS>
	<KILLERS>
		<KILLER>
			<NAME></NAME>
			<TIMES>1</TIMES>
		</KILLER>
		<KILLER>
			<NAME>Bob</NAME>
			<TIMES>2</TIMES>
		</KILLER>
	</KILLERS>
	<TEAMKILLS>
		<TEAMKILL>
			<NAME>^2Cy</NAME>
			<TIMES>2</TIMES>
		</TEAMKILL>
	</TEAMKILLS>
	<KILLWEAPONS>
		<WEAPONS>
			<WEAPON>-1022</WEAPON>
			<TIMES>2</TIMES>
		</WEAPONS>
		<WEAPONS>
			<WEAPON>3</WEAPON>
			<TIMES>7</TIMES>
		</WEAPONS>
		<WEAPONS>
			<WEAPON>10</WEAPON>
			<TIMES>1</TIMES>
		</WEAPONS>
	</KILLWEAPONS>
	<DEATHWEAPONS>
		<WEAPONS>
			<WEAPON>17</WEAPON>
			<TIMES>3</TIMES>
		</WEAPONS>
	</DEATHWEAPONS>
	<SUICIDEWEAPONS>
		<WEAPONS>
			<WEAPON>6</WEAPON>
			<TIMES>1</TIMES>
		</WEAPONS>
	</SUICIDEWEAPONS>
	<TEAMS>
		<TEAM>
			<NAME>Allies</NAME>
			<TIMES>3</TIMES>
		</TEAM>
		<TEAM>
			<NAME>Axis</NAME>
			<TIMES>1</TIMES>
		</TEAM>
		<TEAM>
			<NAME>Unknown team</NAME>
			<TIMES>2</TIMES>
		</TEAM>
	</TEAMS>
	<MODELS>
		<MODEL>
			<NAME>Unknown model</NAME>
			<TIMES>1</TIMES>
		</MODEL>
		<MODEL>
			<NAME>Red Medic (Axis)</NAME>
			<TIMES>4</TIMES>
		</MODEL>
	</MODELS>
</PLAYER>
)";
  EXPECT_EQ(PlayerDetailXml(player), expected);
  EXPECT_EQ(PlayerDocumentXml(player),
            kDocumentHead + WeaponsSection() + expected + "</KILNBOOKS>\n");
  // Building changes nothing.
  EXPECT_EQ(PlayerDetailXml(player), expected);
}

TEST(PlayerDocumentThresholdTest, BelowMinScoreKeepsOnlyTheFrame) {
  ConfigFile file = ConfigFile::FromText("MIN_SCORE 5\nMIN_KILLS 1\n");
  NamePool names;
  Player player("Low", file, names);
  PlayerStats stats;
  stats.kills = 4;
  stats.score = 4;
  player.Restore(stats);
  EXPECT_EQ(PlayerDetailXml(player), "");
  EXPECT_EQ(PlayerDocumentXml(player),
            kDocumentHead + WeaponsSection() + "</KILNBOOKS>\n");
}

}  // namespace
}  // namespace kilnbook
