// The player side of one server: client slots bound to names, and the
// server's players.
#ifndef KILNBOOK_MODEL_PLAYER_TABLE_H_
#define KILNBOOK_MODEL_PLAYER_TABLE_H_

#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <unordered_map>
#include <utility>

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
  void ForgetSlot(int32_t slot);
  void ForgetPlayers();
  std::unordered_map<int32_t, Player*> slotPlayers_;

  // The name entries a kill between two players increments, found once per
  // pair instead of once per kill. Entries live in the players' own tallies
  // (they start at 0 and are always incremented right away, so no tally ever
  // holds a 0 count); the pairs are forgotten when a plain name changes or a
  // player is replaced or removed.
  struct KnownKill {
    int32_t* target = nullptr;    // killer's targets entry of the victim
    int32_t* killedBy = nullptr;  // victim's killers entry of the killer
    int32_t* teamKill = nullptr;  // killer's teamKillVictims entry, once used
  };
  struct PairHash {
    // Players lie at regular distances in memory, so the two addresses
    // are mixed with large odd multipliers before they are combined.
    size_t operator()(const std::pair<Player*, Player*>& pair) const {
      uint64_t h =
          reinterpret_cast<uintptr_t>(pair.first) * 0x9E3779B97F4A7C15ull ^
          reinterpret_cast<uintptr_t>(pair.second) * 0xC2B2AE3D27D4EB4Full;
      return static_cast<size_t>(h ^ (h >> 29));
    }
  };
  KnownKill& KnownKillOf(Player& killer, Player& victim);
  std::unordered_map<std::pair<Player*, Player*>, KnownKill, PairHash> kills_;
};

}  // namespace kilnbook

#endif  // KILNBOOK_MODEL_PLAYER_TABLE_H_
