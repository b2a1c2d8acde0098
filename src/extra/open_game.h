// The game being read: its map, its clock, its score sheet and, per player
// name, the time played in it, from the player's userinfo line to the
// disconnection of the slot or the end of the game.
#ifndef KILNBOOK_EXTRA_OPEN_GAME_H_
#define KILNBOOK_EXTRA_OPEN_GAME_H_

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <unordered_map>

#include "extra/game_sheet.h"

namespace kilnbook {

class OpenGame {
 public:
  // A game on `map` (empty when unknown) whose first line has time `start`,
  // in seconds of the time column; nothing when that line has no readable
  // time column.
  OpenGame(std::string map, std::optional<int64_t> start);

  const std::string& map() const { return map_; }

  // The time of the latest line of the game with a time column, 0 before
  // the first.
  int64_t now() const { return now_; }

  // The time of the first line of the game with a time column, 0 before it.
  int64_t start() const { return start_.value_or(0); }

  // Seconds from the first line with a time column to the latest one; 0
  // when there is none or the clock went backwards.
  int64_t Length() const;

  // Moves the game's clock to the time of the line being read.
  void SetTime(int64_t time);

  GameSheet& sheet() { return sheet_; }
  const GameSheet& sheet() const { return sheet_; }

  // A userinfo line of `slot` for `name` at the current time: the name plays
  // in this game. A slot that plays already goes on, unless it now reports
  // another name: then the old name's time ends here and the new one's
  // begins.
  void Userinfo(int32_t slot, const std::string& name);

  // The slot disconnects at the current time; its player's time stops until
  // its next userinfo line.
  void Disconnect(int32_t slot);

  // Ends the time of every connected slot at the current time; the seconds
  // played by every player with a userinfo line in the game, by key name.
  // A clock that went backwards counts 0, never less.
  std::map<std::string, int64_t> Finish();

 private:
  struct Presence {
    std::string name;
    int64_t since = 0;
  };

  void Stop(const Presence& presence);

  std::string map_;
  std::optional<int64_t> start_;
  int64_t now_;
  GameSheet sheet_;
  std::unordered_map<int32_t, Presence> connected_;
  std::map<std::string, int64_t> played_;
};

}  // namespace kilnbook

#endif  // KILNBOOK_EXTRA_OPEN_GAME_H_
