// The document of one kept game: the contract with the installation's
// "kilnbook_game.xsl" (EXTENDED_STATS on). Every line, tab and element order
// is fixed, and a finished game's document never changes, so that its page
// is made once and then kept by the render cache.
#ifndef KILNBOOK_REPORT_GAME_XML_H_
#define KILNBOOK_REPORT_GAME_XML_H_

#include <string>
#include <string_view>

#include "extra/game_records.h"

namespace kilnbook {

// Declaration, root, SERVERNAME, then:
// - GAME (one tab inside): AppendGameSummary;
// - FIRSTBLOOD, only for a game with one: KILLER and VICTIM (name blocks)
//   and TIME (seconds into the game);
// - TEAMS: a TEAM for Axis and one for Allies, then one for the players of
//   any other team identifier when there are any; each with NAME (the team's
//   display name), SCORE (its side's score, empty without a result or for
//   the other team) and its players in scoreboard order, each a PLAYER:
//   NAME, PLAINNAME, HTMLNAME, SCORE (empty without a score line), KILLS,
//   DEATHS, SUICIDES, TEAMKILLS, TIMEPLAYED (seconds), RATINGBEFORE,
//   RATINGAFTER (whole points), RATINGCHANGE (the difference of the two),
//   BESTSPREE, BESTMULTIKILL, WEAPON (display name of the most used means
//   of death; empty when none or unknown);
// - GAMEWEAPONS: a WEAPON per means of death of the game's kill lines, most
//   kills first (then the lower code): CODE, NAME (display name; empty for
//   an unknown code), KILLS.
std::string GameDocumentXml(std::string_view serverName,
                            const GameRecord& game);

}  // namespace kilnbook

#endif  // KILNBOOK_REPORT_GAME_XML_H_
