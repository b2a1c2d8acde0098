// What the documents and the feed show of a kept game, gathered once for
// both writers: its winner by name, its players in scoreboard order, its
// top player, and the lines shared by every document that lists games.
#ifndef KILNBOOK_REPORT_GAME_FIELDS_H_
#define KILNBOOK_REPORT_GAME_FIELDS_H_

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "extra/game_history.h"
#include "extra/game_records.h"

namespace kilnbook {

// "Axis", "Allies", "Draw", or the empty text for a game without a result.
std::string_view WinnerText(GameWinner winner);

// The team identifiers of the two sides.
inline constexpr std::string_view kAxisTeam = "multi_axis";
inline constexpr std::string_view kAlliesTeam = "multi";

// "Axis" for "multi_axis", "Allies" for "multi", otherwise "Unknown team";
// exact, case-sensitive match of the whole identifier.
std::string_view TeamDisplayName(std::string_view team);

// How `player` ended `game`: "Won", "Lost", "Draw", or the empty text (no
// result, or a player of neither side).
std::string_view ResultText(const GameRecord& game, const GamePlayer& player);

// True when `a` stands above `b` on a scoreboard: the higher score (a player
// without a score line below every score), then more kills, then fewer
// deaths, then the key name in byte order.
bool ScoresAbove(const GamePlayer& a, const GamePlayer& b);

// The players of `game` in scoreboard order.
std::vector<const GamePlayer*> Scoreboard(const GameRecord& game);

// The first player of the scoreboard, or null for a game without players.
const GamePlayer* TopPlayer(const GameRecord& game);

// A rating change in whole points, as the pages show both ratings: the
// points after minus the points before.
int64_t RatingChangePoints(const GamePlayer& player);

// The display name of a means of death, or the empty text for a code the
// catalogue does not know.
std::string_view WeaponDisplayName(int32_t code);

// NAME (the key name), PLAINNAME and HTMLNAME of a key name, each line with
// `tabs` tabs, as a PLAYER block of the main document writes them.
void AppendNameLines(std::string& out, int tabs, std::string_view name);

// `element` opening a block of NAME, PLAINNAME and HTMLNAME; `tabs` for
// the opening line.
void AppendNameBlock(std::string& out, int tabs, std::string_view element,
                     std::string_view name);

// The lines of a game that every list of games shows, with `tabs` tabs:
// NUMBER, WHEN (the run's local time, "YYYY-MM-DD HH:MM"), MAP, LENGTH
// (seconds), AXISSCORE and ALLIESSCORE (empty without a result), WINNER
// (WinnerText), PLAYERS (how many), then TOPPLAYER (AppendNameBlock) when
// the game has players.
void AppendGameSummary(std::string& out, int tabs, const GameRecord& game);

// A feat's block among the server's records, its element among a player's
// bests, and its key in the feed's records and bests; in the order every
// writer lists the feats.
struct FeatBlock {
  Feat feat;
  std::string_view records;
  std::string_view best;
  std::string_view feed;
};

inline constexpr FeatBlock kFeatBlocks[] = {
    {Feat::kKills, "KILLS", "KILLS", "kills"},
    {Feat::kSpree, "SPREES", "SPREE", "spree"},
    {Feat::kMultiKill, "MULTIKILLS", "MULTIKILL", "multikill"},
};

// VALUE, GAME (its number) and KEPT ("1" while `history` keeps the game,
// otherwise "0") of a figure, with `tabs` tabs.
void AppendFigure(std::string& out, int tabs, const GameHistory& history,
                  int64_t value, int64_t game);

}  // namespace kilnbook

#endif  // KILNBOOK_REPORT_GAME_FIELDS_H_
