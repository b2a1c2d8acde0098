// The player side of one server: client slots bound to names, and the
// server's players.
#ifndef KILNBOOK_MODEL_PLAYER_TABLE_H_
#define KILNBOOK_MODEL_PLAYER_TABLE_H_

#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "config/config.h"
#include "config/config_file.h"
#include "model/name_pool.h"
#include "model/player.h"
#include "model/weapon_table.h"

namespace kilnbook {

// The slot of the world entity and the name bound to it.
inline constexpr int32_t kWorldSlot = 1022;
inline constexpr const char kWorldName[] = "world_entity";
// Every table also holds a player of this name from the start.
inline constexpr const char kDefaultPlayerName[] = "Player";

using PlayerMap = std::map<std::string, std::unique_ptr<Player>, std::less<>>;

class PlayerTable {
 public:
  // `configFile` is borrowed and must outlive the table; every Player
  // builds its configuration from it.
  PlayerTable(std::string serverName, const ConfigFile& configFile);

  PlayerTable(const PlayerTable&) = delete;
  PlayerTable& operator=(const PlayerTable&) = delete;

  // Binds `slot` to `name` and creates the player when it is new.
  void SetName(int32_t slot, std::string_view name);

  // The player bound to `slot`, or null after printing "Your logfile has
  // proably not started on game init\nFix it and run again\n" (unbound
  // slot, empty name, or no such player).
  Player* ResolveSlot(int32_t slot);

  // Event accounting. Kill returns true for a team kill.
  void ClientUserinfoChanged(int32_t slot, const std::string& name,
                             const std::string& htmlName,
                             const std::string& plainName,
                             const std::string& head, const std::string& model);
  void Score(int32_t slot, int32_t score, int32_t ping);
  bool Kill(int32_t killer, int32_t victim, int32_t code);

  // Pruning before output, applied in this order by the server.
  void ExcludePlayers();
  void DropBelowMinKills(int32_t min);
  void DropBelowMinScore(int32_t min);

  // A new Player under `name`, replacing any player of that name; the data
  // file reader fills it.
  Player& ReplacePlayer(std::string_view name);

  // The pool of every name the players' tallies hold.
  NamePool& names() { return names_; }

  const PlayerMap& players() const { return players_; }
  const WeaponTable& weapons() const { return weapons_; }
  const Config& config() const { return config_; }
  const std::string& serverName() const { return serverName_; }

 private:
  // What the log last reported for a client slot, for this run only. A slot
  // that was never reported reads as bound to the empty name and team.
  struct Slot {
    NameId name = NamePool::kEmpty;  // the key name of the player
    NameId team = NamePool::kEmpty;  // the team identifier
    // The player the slot resolved to, while `generation` is the table's.
    Player* player = nullptr;
    uint64_t generation = 0;
  };

  // Binds `slot` to `name`, creating the player when it is new; the
  // player of that name.
  Player& BindName(Slot& slot, std::string_view name);
  // The slot's player, or null after the message of ResolveSlot.
  Player* Resolve(Slot& slot);
  // Prints the message of an unresolved slot; null.
  static Player* Unresolved();

  // The slot's record, created when it is new.
  Slot& SlotOf(int32_t slot);
  // The slot's record, or null when the slot was never reported.
  Slot* FindSlot(int32_t slot);
  // Players were replaced or removed: every remembered resolution is stale.
  void ForgetPlayers() { ++generation_; }

  // Where a name's entry stood in a tally after a kill last incremented it:
  // a server repeats the same pairs of players thousands of times a day,
  // and finding a name in a sorted tally compares texts. The places are
  // kept in a table indexed by a hash of tally and name, without keys: a
  // colliding pair gives a wrong place, which the tally rejects (it checks
  // the name at a place before using it), and the pair then takes the slot.
  uint32_t& HintOf(const NameTally& tally, NameId name);

  // Declared first: the players' tallies point into it.
  NamePool names_;
  const ConfigFile& configFile_;
  // Game servers number their clients from 0 up, and the world is 1022:
  // those slots are found by index, any others through the map.
  std::vector<Slot> lowSlots_;
  std::unordered_map<int32_t, Slot> otherSlots_;
  uint64_t generation_ = 1;
  std::vector<uint32_t> hints_;
  PlayerMap players_;
  WeaponTable weapons_;
  Config config_;
  std::string serverName_;
};

}  // namespace kilnbook

#endif  // KILNBOOK_MODEL_PLAYER_TABLE_H_
