// The extended statistics of one server: maps, player activity, skill
// ratings, daily history and the games kept, accumulated over the runs from
// the same finished games that the counters are made of.
#ifndef KILNBOOK_EXTRA_EXTRA_STATS_H_
#define KILNBOOK_EXTRA_EXTRA_STATS_H_

#include <cstdint>
#include <ctime>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>

#include "extra/extra_records.h"
#include "extra/game_history.h"
#include "extra/open_game.h"
#include "extra/slot_names.h"
#include "log/log_event.h"

namespace kilnbook {

// Days of history kept before the date of the latest run.
inline constexpr int64_t kHistoryDays = 400;

// A run reads a server's state, feeds it the lines of the finished games and
// saves it:
//
//   stats.LoadState(text);       // or nothing, for a server without state
//   stats.LoadGamesState(games);  // likewise
//   stats.SetGamesKept(n);
//   stats.BeginRun(now);
//   for each parsed line: stats.AccountLine(line, event);
//   stats.EndRun();
//   save stats.StateText() and stats.GamesStateText();
//
// A game runs from its "InitGame:" line to the line that ends it (EndsGame:
// the server's own "ShutdownGame:", where the log's pre-pass ends a game),
// or to the next "InitGame:", or to the end of the run. Client slots are
// resolved to players as the player table does, with a slot map that starts
// afresh each run; an event whose slot resolves to no one counts for no
// player. Lines outside a game count only for the rating and the day's
// kills. Each finished game becomes a GameRecord of games() with the run's
// time.
class ExtraStats {
 public:
  ExtraStats() = default;

  // Movable (map entries keep their addresses), not copyable: a run keeps
  // pointers into the records.
  ExtraStats(ExtraStats&&) = default;
  ExtraStats& operator=(ExtraStats&&) = default;
  ExtraStats(const ExtraStats&) = delete;
  ExtraStats& operator=(const ExtraStats&) = delete;

  // Starts a run at `runTime`. Its games are booked as seen at this time and
  // on its local date.
  void BeginRun(std::time_t runTime);

  // One line of the finished games, in log order: `line` as the log holds it
  // (time column included, no line feed) and `event` as the log parser made
  // it of that line.
  void AccountLine(std::string_view line, const LogEvent& event);

  // Ends the run: a game still open ends at its last line, days more than
  // kHistoryDays before the run's date are dropped, and so are the games
  // beyond the number kept.
  void EndRun();

  // How many of the latest games are kept (kDefaultKeepGames unless set).
  void SetGamesKept(int64_t kept) { games_.SetLimit(kept); }

  // The text of the state file; see extra_state.h.
  std::string StateText() const;

  // The text of the games' state file; see games_state.h.
  std::string GamesStateText() const;

  // Replaces the kept games, bests and records with those of a games state
  // file's text, as LoadState does. REQUIRES: no run in progress.
  bool LoadGamesState(std::string_view text);

  // Replaces the statistics with those of a state file's text, skipping
  // damaged lines. False, with empty statistics, when the text comes from
  // another format version: such a file must be left as it is. REQUIRES: no
  // run in progress (before BeginRun or after EndRun).
  bool LoadState(std::string_view text);

  const ExtraRecords& records() const { return records_; }

  // The player's record, or null when nothing was ever booked on the name.
  const PlayerExtra* FindPlayer(std::string_view name) const;

  // The kept games, the players' bests and the server's records, and what
  // the last run added and dropped.
  const GameHistory& games() const { return games_; }

 private:
  // What a slot resolves to in the records, found once per binding and
  // game instead of by name on every kill of a busy log.
  struct SlotRecords {
    PlayerExtra* player = nullptr;
    PlayerMapTotals* map = nullptr;     // the player's totals on the game's map
    GameSheet::Entry* sheet = nullptr;  // the player's line of the game
  };

  void StartGame(std::string_view line);
  void FinishGame();
  void SeePlayer(const std::string& name, int64_t seconds);
  void Userinfo(const LogEvent& event);
  void Kill(const LogEvent& event);
  // A kill between two slots, on the game's sheet; `sameTeam` is whether
  // the slots play on one team, and the records are those of the killer's
  // and the victim's slots.
  void BookKill(const LogEvent& event, bool sameTeam,
                SlotRecords& killerRecords, SlotRecords& victimRecords);
  void Score(const LogEvent& event);
  void Red(const LogEvent& event);
  // The ratings after a kill between two slots, as BookKill takes it.
  void Rate(const LogEvent& event, bool sameTeam, SlotRecords& killerRecords,
            SlotRecords& victimRecords);

  // The run's day, created on first use; null when the run's time has no
  // local date.
  DayTotals* RunDay();

  // The three below take `slot` and its entry of slotRecords_, which
  // caches what they find.

  // The record of the player that `slot` resolves to (it must resolve),
  // created on first use.
  PlayerExtra& SlotPlayer(int32_t slot, SlotRecords& cached);

  // That player's totals on the game's map, created on first use; null
  // outside a game or on a game without a map name.
  PlayerMapTotals* SlotPlayerMap(int32_t slot, SlotRecords& cached);

  // The game sheet's entry of the player that `slot` resolves to (it must
  // resolve, in a game), made on first use with the player's rating now.
  GameSheet::Entry& SheetEntry(int32_t slot, SlotRecords& cached);

  // The rating of `name` now.
  int64_t RatingOf(const std::string& name) const;

  // Drops every pointer into the records held for the run.
  void ForgetRecordPointers();

  ExtraRecords records_;
  GameHistory games_;

  // Per run, never saved.
  std::time_t runTime_ = 0;
  std::optional<int64_t> runDay_;
  SlotNames slots_;
  std::optional<OpenGame> game_;
  // Entries of records_ (map nodes never move).
  DayTotals* runDayTotals_ = nullptr;
  MapTotals* gameMap_ = nullptr;  // null outside a game or without a map
  // By slot; a reference to an entry holds while others are added.
  std::unordered_map<int32_t, SlotRecords> slotRecords_;
};

// The extended statistics of every server, by server name.
using ExtraStatsMap = std::map<std::string, ExtraStats, std::less<>>;

// The map where `player` played most games; ties go to more kills there,
// then to the first name in byte order. Empty when the player played no
// game on any map.
std::string_view FavouriteMap(const PlayerExtra& player);

}  // namespace kilnbook

#endif  // KILNBOOK_EXTRA_EXTRA_STATS_H_
