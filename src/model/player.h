// The cumulative statistics record of one player name on one server.
#ifndef KILNBOOK_MODEL_PLAYER_H_
#define KILNBOOK_MODEL_PLAYER_H_

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <map>
#include <utility>

#include "config/config.h"
#include "config/config_file.h"
#include "model/weapon_table.h"

namespace kilnbook {

// Tallies list their entries in ascending key order: text keys byte-wise as
// unsigned bytes (std::string's order), numeric keys signed. The kills of a
// busy log do not look names up in them each time: the player table keeps
// the entries it updates (map entries never move).
using NameTally = std::map<std::string, int32_t>;
using CodeTally = std::map<int32_t, int32_t>;

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
  CodeTally killWeapons;     // means-of-death code -> kills
  CodeTally deathWeapons;    // means-of-death code -> deaths
  CodeTally suicideWeapons;  // means-of-death code -> suicides
  NameTally killers;         // killer's plain name -> deaths
  NameTally targets;         // victim's plain name -> kills
  NameTally teams;           // team identifier -> userinfo events
  NameTally models;          // model identifier -> userinfo events
  NameTally teamKillVictims;  // team-mate's key name -> team kills
};

class Player {
 public:
  // A record with zero counters and empty tallies, with the configuration
  // of `configFile` (printing its message when the file is missing). The
  // values are shared, not copied: tens of thousands of players hold them.
  Player(std::string name, const ConfigFile& configFile);

  Player(const Player&) = delete;
  Player& operator=(const Player&) = delete;

  // The key name; never changes.
  const std::string& name() const { return name_; }
  const PlayerStats& stats() const { return stats_; }
  const Config& config() const { return *config_; }
  const WeaponTable& weapons() const { return weapons_; }

  // Replaces every saved value at once: the data file reader restores a
  // record with it.
  void Restore(PlayerStats stats) { stats_ = std::move(stats); }

  // Names as a userinfo event reports them.
  void SetHtmlName(const std::string& htmlName);
  void SetPlainName(const std::string& plainName);

  // Updates; every increment is by one and wraps around at 32 bits.
  void AddKill(const std::string& victimPlainName, int32_t code);
  void AddDeath(const std::string& killerPlainName, int32_t code);
  void AddSuicide(int32_t code);
  void AddTeamKill(const std::string& victimName);
  void AddTeam(const std::string& team);
  void AddModel(const std::string& model);
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
  // The player table repeats known kills on the counters directly.
  friend class PlayerTable;

  std::shared_ptr<const Config> config_;
  WeaponTable weapons_;
  std::string name_;
  PlayerStats stats_;
};

}  // namespace kilnbook

#endif  // KILNBOOK_MODEL_PLAYER_H_
