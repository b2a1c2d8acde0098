// The cumulative statistics record of one player name on one server.
#ifndef KILNBOOK_MODEL_PLAYER_H_
#define KILNBOOK_MODEL_PLAYER_H_

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <utility>

#include "config/config.h"
#include "config/config_file.h"
#include "model/code_tally.h"
#include "model/name_pool.h"
#include "model/name_tally.h"
#include "model/weapon_table.h"

namespace kilnbook {

// Everything the data file keeps of a player besides its name.
struct PlayerStats {
  std::string htmlName;   // name with colour markup, as last reported
  std::string plainName;  // name without colour codes, as last reported
  int32_t kills = 0;      // team kills included
  int32_t deaths = 0;     // by other players or the world; not suicides
  int32_t ping = 0;       // running average
  int32_t score = 0;
  int32_t suicides = 0;
  int32_t teamKills = 0;
  CodeTally killWeapons;      // means-of-death code -> kills
  CodeTally deathWeapons;     // means-of-death code -> deaths
  CodeTally suicideWeapons;   // means-of-death code -> suicides
  NameTally killers;          // killer's plain name -> deaths
  NameTally targets;          // victim's plain name -> kills
  NameTally teams;            // team identifier -> userinfo events
  NameTally models;           // model identifier -> userinfo events
  NameTally teamKillVictims;  // team-mate's key name -> team kills
};

class Player {
 public:
  // A record with zero counters and empty tallies, with the configuration
  // of `configFile` (printing its message when the file is missing). The
  // values are shared, not copied: tens of thousands of players hold them.
  // The tallies keep their names in `names`, the pool of the player's
  // table, which is borrowed and must outlive the player.
  Player(std::string name, const ConfigFile& configFile, NamePool& names);

  Player(const Player&) = delete;
  Player& operator=(const Player&) = delete;

  // The key name; never changes.
  const std::string& name() const { return name_; }
  const PlayerStats& stats() const { return stats_; }
  const Config& config() const { return *config_; }
  const WeaponTable& weapons() const { return weapons_; }

  // Replaces every saved value at once: the data file reader restores a
  // record with it. Tallies whose names are in another pool (or in none)
  // are moved into the player's own.
  void Restore(PlayerStats stats);

  // Names as a userinfo event reports them.
  void SetHtmlName(std::string_view htmlName);
  void SetPlainName(std::string_view plainName);

  // Updates; every increment is by one and wraps around at 32 bits.
  void AddKill(std::string_view victimPlainName, int32_t code);
  void AddDeath(std::string_view killerPlainName, int32_t code);
  void AddSuicide(int32_t code);
  void AddTeamKill(std::string_view victimName);
  void AddTeam(std::string_view team);
  void AddModel(std::string_view model);
  // `ping` becomes (ping + sample) / 2, truncated toward zero.
  void AddScore(int32_t score, int32_t pingSample);

  // kills / deaths * 10, and that times score * 0.01. A player without
  // deaths is computed as if it had one.
  double Ratio() const;
  double Rate() const;

  // The printed forms: rounded to single precision, then truncated toward
  // zero; values beyond the 32-bit range are clamped and NaN gives 0, so the
  // conversion never traps.
  int32_t RatioValue() const;
  int32_t RateValue() const;

  // score >= MIN_SCORE and kills >= MIN_KILLS of the player's own Config.
  bool MeetsThresholds() const;

 private:
  // The player table books kills with the interned names it already has,
  // and with where their entries stood last time (NameTally::Increment).
  friend class PlayerTable;
  size_t AddKill(NameId victimPlainName, int32_t code, size_t hint);
  size_t AddDeath(NameId killerPlainName, int32_t code, size_t hint);
  size_t AddTeamKill(NameId victimName, size_t hint);
  void AddTeam(NameId team);

  std::shared_ptr<const Config> config_;
  NamePool* names_;
  std::string name_;
  PlayerStats stats_;
  // `name_` and `stats_.plainName` in `names_`: the keys under which others
  // tally this player.
  NameId nameId_;
  NameId plainNameId_ = NamePool::kEmpty;
  [[no_unique_address]] WeaponTable weapons_;
};

}  // namespace kilnbook

#endif  // KILNBOOK_MODEL_PLAYER_H_
