// The games a server keeps: the latest finished games with their numbers,
// and the players' bests and the server's records over every game counted.
#ifndef KILNBOOK_EXTRA_GAME_HISTORY_H_
#define KILNBOOK_EXTRA_GAME_HISTORY_H_

#include <cstddef>
#include <cstdint>
#include <deque>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "config/config.h"
#include "extra/game_records.h"

namespace kilnbook {

// A kept game of a player and the player's line in it.
struct PlayerGame {
  const GameRecord* game = nullptr;
  const GamePlayer* player = nullptr;
};

// Each finished game gets the server's next number and is kept until
// `limit` newer games follow it; then it is dropped, and only the figures
// that bests and records took from it remain. A run adds its games in log
// order:
//
//   history.BeginRun();
//   history.Add(record);  // per finished game
//   history.Trim();       // at the end of the run (the limit may be lower)
//
// Reading, for the documents and the feed: games() (oldest first) and
// FindGame() for the games list and one game, LastGamesOf() and BestsOf()
// for a player, records() for the server; added() and dropped() tell which
// games the run made and which kept games it let go. The const members
// change nothing, so that pages made on several threads may call them at
// once.
class GameHistory {
 public:
  GameHistory() = default;

  // Games beyond the `limit` latest are dropped, oldest first (0 keeps
  // none).
  void SetLimit(int64_t limit) { limit_ = limit < 0 ? 0 : limit; }

  // Forgets which games the previous run added and dropped.
  void BeginRun();

  // Gives `game` the next number, books its figures in the players' bests
  // and the server's records, keeps it and drops the oldest games beyond
  // the limit. Returns the game's number.
  int64_t Add(GameRecord game);

  // Drops the oldest games beyond the limit.
  void Trim();

  // Replaces everything with `archive`, as the state file holds it; the
  // run's added and dropped games are forgotten.
  void Replace(GameArchive archive);

  const GameArchive& archive() const { return archive_; }

  // The kept games, oldest first, numbers ascending.
  const std::deque<GameRecord>& games() const { return archive_.games; }

  // The kept game `number`, or null (never counted, or dropped).
  const GameRecord* FindGame(int64_t number) const;

  // The latest `count` kept games that `name` played, newest first.
  std::vector<PlayerGame> LastGamesOf(std::string_view name,
                                      size_t count) const;

  // The bests of `name`, or null when no game of it made any figure.
  const PlayerBests* BestsOf(std::string_view name) const;

  const ServerRecords& records() const { return archive_.records; }

  // The numbers of the games this run added and still keeps, ascending.
  std::vector<int64_t> added() const;
  // True when `number` is one of added().
  bool AddedThisRun(int64_t number) const;
  // The numbers of the games kept before this run that it dropped,
  // ascending.
  const std::vector<int64_t>& dropped() const { return dropped_; }

 private:
  void BookFigures(const GameRecord& game);
  void DropOldest();

  GameArchive archive_;
  int64_t limit_ = kDefaultKeepGames;
  // The numbers of the games of each player, ascending, by key name: those
  // of the kept games, and of games dropped since the last Replace. Hashed:
  // a load fills it with every line of every kept game.
  std::unordered_map<std::string, std::vector<int64_t>> playerGames_;
  // The number of the run's first game: this run's games are numbered from
  // it on, every game kept before the run below it.
  int64_t runFirst_ = archive_.nextNumber;
  std::vector<int64_t> dropped_;
};

}  // namespace kilnbook

#endif  // KILNBOOK_EXTRA_GAME_HISTORY_H_
