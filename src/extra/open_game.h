// The game being read: its map and, per player name, the time played in it,
// from the player's userinfo line to the disconnection of the slot or the
// end of the game.
#ifndef KILNBOOK_EXTRA_OPEN_GAME_H_
#define KILNBOOK_EXTRA_OPEN_GAME_H_

#include <cstdint>
#include <map>
#include <string>
#include <unordered_map>

namespace kilnbook {

class OpenGame {
 public:
  // A game on `map` (empty when unknown) whose first line has time `start`,
  // in seconds of the time column.
  OpenGame(std::string map, int64_t start);

  const std::string& map() const { return map_; }

  // The time of the latest line of the game.
  int64_t now() const { return now_; }

  // Moves the game's clock to the time of the line being read.
  void SetTime(int64_t time) { now_ = time; }

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
  int64_t now_;
  std::unordered_map<int32_t, Presence> connected_;
  std::map<std::string, int64_t> played_;
};

}  // namespace kilnbook

#endif  // KILNBOOK_EXTRA_OPEN_GAME_H_
