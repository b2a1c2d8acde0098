// The player side of one server: client slots bound to names, and the
// server's players.
#ifndef KILNBOOK_MODEL_PLAYER_TABLE_H_
#define KILNBOOK_MODEL_PLAYER_TABLE_H_

#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <unordered_map>

#include "config/config.h"
#include "config/config_file.h"
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
  void SetName(int32_t slot, const std::string& name);

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
  Player& ReplacePlayer(const std::string& name);

  const PlayerMap& players() const { return players_; }
  const WeaponTable& weapons() const { return weapons_; }
  const Config& config() const { return config_; }
  const std::string& serverName() const { return serverName_; }

 private:
  const ConfigFile& configFile_;
  // Slot maps are only looked up, never listed, so they need no order.
  std::unordered_map<int32_t, std::string> slotNames_;
  std::unordered_map<int32_t, std::string> slotTeams_;
  PlayerMap players_;
  WeaponTable weapons_;
  Config config_;
  std::string serverName_;
  // The player each slot resolved to last time: a busy log resolves two
  // slots per kill, millions of times. An entry goes when its slot is
  // rebound; all go when a player is replaced or removed.
  std::unordered_map<int32_t, Player*> slotPlayers_;

  // A kill between the same two slots repeats hundreds of times between two
  // changes of their names or teams. What it updates is kept per slot pair
  // until a userinfo event changes a slot's name, a plain name or a team, or
  // a player is replaced or removed; the counts then stay exactly those of
  // AddKill, AddDeath and AddTeamKill.
  struct KnownKill {
    Player* killer;
    Player* victim;
    int32_t* target;    // killer's targets entry of the victim
    int32_t* killedBy;  // victim's killers entry of the killer
    int32_t* teamKill;  // killer's teamKillVictims entry, null: no team kill
  };
  static uint64_t SlotPair(int32_t killer, int32_t victim);
  bool RepeatKill(const KnownKill& known, int32_t code);
  void ForgetKills();
  void ForgetPlayers();
  std::unordered_map<uint64_t, KnownKill> kills_;
};

}  // namespace kilnbook

#endif  // KILNBOOK_MODEL_PLAYER_TABLE_H_
