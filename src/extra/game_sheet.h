// The score sheet of the game being read: what each player did in it, its
// weapons, its first blood and its "red:" line, made into a GameRecord when
// the game ends.
#ifndef KILNBOOK_EXTRA_GAME_SHEET_H_
#define KILNBOOK_EXTRA_GAME_SHEET_H_

#include <cstdint>
#include <functional>
#include <map>
#include <optional>
#include <string>

#include "extra/game_records.h"

namespace kilnbook {

// How a kill line between two players counts (a suicide is booked apart).
enum class KillKind {
  kEnemy,     // players of different teams, neither of them the world
  kTeamKill,  // the same team identifier, as the counters judge it
  kWorld,     // the world killed or was killed
};

class GameSheet {
 public:
  // A player's part of the game so far.
  struct Entry {
    const std::string* name = nullptr;  // the sheet's key
    int64_t ratingBefore = 0;
    bool userinfo = false;  // had a userinfo line in the game
    std::string team;
    int64_t kills = 0;
    int64_t deaths = 0;
    int64_t suicides = 0;
    int64_t teamKills = 0;
    std::optional<int64_t> score;
    int64_t spree = 0;  // enemy kills since the last death
    int64_t bestSpree = 0;
    int64_t chain = 0;  // enemy kills of the current multi-kill
    int64_t bestChain = 0;
    int64_t lastKillTime = 0;
    std::map<int32_t, int64_t> weapons;  // kills by means of death
  };

  GameSheet() = default;

  // Entries hand out pointers to their keys: not copyable.
  GameSheet(const GameSheet&) = delete;
  GameSheet& operator=(const GameSheet&) = delete;
  GameSheet(GameSheet&&) = default;
  GameSheet& operator=(GameSheet&&) = default;

  // The entry of `name`, made on its first event in the game with `rating`,
  // the player's rating at that moment. The entry stays where it is until
  // the sheet goes away.
  Entry& Enter(const std::string& name, int64_t rating);

  // A userinfo line of the entry's player with team identifier `team`.
  void Userinfo(Entry& player, const std::string& team);

  // Every kill line of the game counts for its means of death, whoever it
  // names.
  void CountKillLine(int32_t code);

  // A kill line whose slots resolve to the players of `killer` and `victim`
  // (two different slots), at `time` seconds of the time column.
  void Kill(Entry& killer, Entry& victim, KillKind kind, int32_t code,
            int64_t time);

  // A kill line whose killer and victim are the same slot.
  void Suicide(Entry& player);

  // A "score:" line of the entry's player.
  void Score(Entry& player, int32_t score);

  // A "red:" line; the last one of the game counts.
  void Red(int32_t red, int32_t blue);

  // The record of the game (without number, run time, map and length):
  // a line for every player with a userinfo line, whose seconds played
  // `played` gives by key name, and whose rating after the game is its
  // rating before, for the caller to update. `start` is the time of the
  // game's first line, from which first blood is timed.
  GameRecord Record(const std::map<std::string, int64_t>& played,
                    int64_t start) const;

 private:
  std::map<std::string, Entry, std::less<>> entries_;
  std::map<int32_t, int64_t> weapons_;
  std::optional<TeamScores> scores_;
  // The first enemy kill, timed by the time column.
  std::optional<FirstBlood> firstBlood_;
};

}  // namespace kilnbook

#endif  // KILNBOOK_EXTRA_GAME_SHEET_H_
