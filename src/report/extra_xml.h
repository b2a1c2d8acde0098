// The blocks that the documents gain when EXTENDED_STATS is on: activity,
// rating and favourite map per player, maps and daily history per server.
// With the setting off no builder of the documents is given an extension
// and every document keeps its bytes.
#ifndef KILNBOOK_REPORT_EXTRA_XML_H_
#define KILNBOOK_REPORT_EXTRA_XML_H_

#include <cstddef>
#include <ctime>
#include <string>
#include <string_view>

#include "extra/extra_stats.h"
#include "report/extra_fields.h"

namespace kilnbook {

// Days of history a document shows: the last 90, ending with today.
inline constexpr int kHistoryDocumentDays = 90;

// One server's extended statistics for its main and player documents.
// Borrowed: `stats` must outlive the value.
struct ExtraReport {
  const ExtraStats& stats;
  std::time_t now;  // the time the documents are built for
};

// Every server's, for the front document; a server missing from `servers`
// shows an empty history.
struct ExtraFrontReport {
  const ExtraStatsMap& servers;
  std::time_t now;
};

// Whether a player's ACTIVITY shows DAYSINACTIVE: the main documents do;
// player pages leave out what changes only because time passes.
enum class DaysInactive { kShown, kLeftOut };

// The lines after a PLAYER block's STATS (one tab): ACTIVITY with
// FIRSTSEEN and LASTSEEN ("YYYY-MM-DD HH:MM", local time; empty for a player
// never seen in a game), DAYSINACTIVE (when shown; empty when never seen),
// GAMES and TIMEPLAYED (seconds); then RATING and FAVOURITEMAP (empty when
// none).
std::string PlayerExtraXml(const PlayerActivity& activity,
                           DaysInactive daysInactive);

// A player's MAPS block (one tab), one MAP per map in name order: NAME,
// GAMES, KILLS, DEATHS.
std::string PlayerMapsXml(const PlayerActivity& activity);

// A server's MAPS block (column 0), one MAP per map in name order: NAME,
// GAMES, KILLS, AXISWINS, ALLIESWINS.
std::string ServerMapsXml(const ExtraStats& stats);

// A HISTORY block whose opening line has `tabs` tabs: one DAY per day of the
// last kHistoryDocumentDays up to the local date of `now`, oldest first,
// days without games included as zeros: DATE (YYYY-MM-DD), GAMES, KILLS,
// PLAYERS.
std::string HistoryXml(const ExtraStats& stats, std::time_t now, int tabs);

// Games a player document lists.
inline constexpr size_t kPlayerGamesShown = 10;

// A player's blocks after MAPS (one tab): LASTGAMES, the player's latest
// kPlayerGamesShown kept games, newest first, each a GAME with NUMBER, WHEN,
// MAP, TEAM (display name), RESULT (ResultText), KILLS, DEATHS, SCORE (empty
// without a score line) and RATINGCHANGE; then, for a player with bests,
// BESTS: KILLS, SPREE and MULTIKILL for each figure above 0, each with
// AppendFigure.
std::string PlayerGamesXml(const GameHistory& history, std::string_view name);

// The LASTGAME block of a front document's SERVER (two tabs): the newest
// kept game's AppendGameSummary; the empty text when none is kept.
std::string LastGameXml(const GameHistory& history);

}  // namespace kilnbook

#endif  // KILNBOOK_REPORT_EXTRA_XML_H_
