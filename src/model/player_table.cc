#include "model/player_table.h"

#include <cstdio>
#include <string_view>
#include <utility>

#include "log/number_text.h"

namespace kilnbook {

namespace {

void CountCode(CodeTally& tally, int32_t code) {
  auto [entry, added] = tally.try_emplace(code, 1);
  if (!added) {
    entry->second = WrapAdd(entry->second, 1);
  }
}

// Removes every player for which `drop` is true.
template <typename Predicate>
void DropIf(PlayerMap& players, Predicate drop) {
  for (auto it = players.begin(); it != players.end();) {
    if (drop(*it->second)) {
      it = players.erase(it);
    } else {
      ++it;
    }
  }
}

}  // namespace

PlayerTable::PlayerTable(std::string serverName, const ConfigFile& configFile)
    : configFile_(configFile),
      config_(configFile),
      serverName_(std::move(serverName)) {
  SetName(kWorldSlot, kWorldName);
  ReplacePlayer(kDefaultPlayerName);
}

void PlayerTable::SetName(int32_t slot, const std::string& name) {
  std::string& bound = slotNames_[slot];
  if (bound != name || name.empty()) {
    ForgetKills();
  }
  bound = name;
  slotPlayers_.erase(slot);
  if (players_.find(name) == players_.end()) {
    players_.emplace(name, std::make_unique<Player>(name, configFile_));
  }
}

Player* PlayerTable::ResolveSlot(int32_t slot) {
  auto cached = slotPlayers_.find(slot);
  if (cached != slotPlayers_.end()) {
    return cached->second;
  }
  auto bound = slotNames_.find(slot);
  if (bound != slotNames_.end() && !bound->second.empty()) {
    auto player = players_.find(bound->second);
    if (player != players_.end()) {
      slotPlayers_.emplace(slot, player->second.get());
      return player->second.get();
    }
  }
  std::printf(
      "Your logfile has proably not started on game init\n"
      "Fix it and run again\n");
  return nullptr;
}

void PlayerTable::ClientUserinfoChanged(int32_t slot, const std::string& name,
                                        const std::string& htmlName,
                                        const std::string& plainName,
                                        const std::string& head,
                                        const std::string& model) {
  SetName(slot, name);
  if (Player* player = ResolveSlot(slot)) {
    player->SetHtmlName(htmlName);
  }
  if (Player* player = ResolveSlot(slot)) {
    if (player->stats().plainName != plainName) {
      ForgetKills();
    }
    player->SetPlainName(plainName);
  }
  // SetName made sure this player exists, also under the empty name.
  players_.find(name)->second->AddModel(head);
  if (Player* player = ResolveSlot(slot)) {
    auto [team, added] = slotTeams_.try_emplace(slot, model);
    if (added || team->second != model) {
      ForgetKills();
      team->second = model;
    }
    player->AddTeam(model);
  }
}

void PlayerTable::Score(int32_t slot, int32_t score, int32_t ping) {
  if (Player* player = ResolveSlot(slot)) {
    player->AddScore(score, ping);
  }
}

uint64_t PlayerTable::SlotPair(int32_t killer, int32_t victim) {
  return (static_cast<uint64_t>(static_cast<uint32_t>(killer)) << 32) |
         static_cast<uint32_t>(victim);
}

void PlayerTable::ForgetKills() { kills_.clear(); }

bool PlayerTable::Kill(int32_t killer, int32_t victim, int32_t code) {
  if (killer != victim) {
    auto known = kills_.find(SlotPair(killer, victim));
    if (known != kills_.end()) {
      return RepeatKill(known->second, code);
    }
  }
  Player* killerPlayer = ResolveSlot(killer);
  if (killerPlayer == nullptr) {
    return false;
  }
  Player* victimPlayer = ResolveSlot(victim);
  if (victimPlayer == nullptr) {
    return false;
  }
  // Slot equality decides: two slots sharing a name are not a suicide.
  if (killer == victim) {
    killerPlayer->AddSuicide(code);
    return false;
  }
  killerPlayer->AddKill(victimPlayer->stats().plainName, code);
  victimPlayer->AddDeath(killerPlayer->stats().plainName, code);
  auto teamOf = [this](int32_t slot) -> std::string_view {
    auto it = slotTeams_.find(slot);
    return it == slotTeams_.end() ? std::string_view() : it->second;
  };
  KnownKill known{killerPlayer, victimPlayer,
                  &killerPlayer->stats_.targets.find(
                      victimPlayer->stats().plainName)->second,
                  &victimPlayer->stats_.killers.find(
                      killerPlayer->stats().plainName)->second,
                  nullptr};
  bool teamKill = teamOf(killer) == teamOf(victim);
  if (teamKill) {
    const std::string& victimName = slotNames_.find(victim)->second;
    killerPlayer->AddTeamKill(victimName);
    known.teamKill =
        &killerPlayer->stats_.teamKillVictims.find(victimName)->second;
  }
  kills_.emplace(SlotPair(killer, victim), known);
  return teamKill;
}

bool PlayerTable::RepeatKill(const KnownKill& known, int32_t code) {
  // The same updates as AddKill, AddDeath and AddTeamKill, without looking
  // up the names again.
  PlayerStats& killer = known.killer->stats_;
  PlayerStats& victim = known.victim->stats_;
  killer.kills = WrapAdd(killer.kills, 1);
  CountCode(killer.killWeapons, code);
  *known.target = WrapAdd(*known.target, 1);
  victim.deaths = WrapAdd(victim.deaths, 1);
  CountCode(victim.deathWeapons, code);
  *known.killedBy = WrapAdd(*known.killedBy, 1);
  if (known.teamKill == nullptr) {
    return false;
  }
  *known.teamKill = WrapAdd(*known.teamKill, 1);
  killer.teamKills = WrapAdd(killer.teamKills, 1);
  return true;
}

void PlayerTable::ExcludePlayers() {
  const std::string& list = config_.excludePlayers();
  if (list.empty()) {
    return;
  }
  size_t start = 0;
  while (true) {
    size_t comma = list.find(',', start);
    std::string_view piece =
        std::string_view(list).substr(start, comma == std::string::npos
                                                 ? std::string::npos
                                                 : comma - start);
    auto it = players_.find(piece);
    if (it != players_.end()) {
      ForgetPlayers();
      players_.erase(it);
    }
    if (comma == std::string::npos) {
      break;
    }
    start = comma + 1;
  }
}

void PlayerTable::DropBelowMinKills(int32_t min) {
  ForgetPlayers();
  DropIf(players_, [min](const Player& p) { return p.stats().kills < min; });
}

void PlayerTable::DropBelowMinScore(int32_t min) {
  ForgetPlayers();
  DropIf(players_, [min](const Player& p) { return p.stats().score < min; });
}

void PlayerTable::ForgetPlayers() {
  slotPlayers_.clear();
  ForgetKills();
}

Player& PlayerTable::ReplacePlayer(const std::string& name) {
  auto player = std::make_unique<Player>(name, configFile_);
  Player& result = *player;
  ForgetPlayers();
  players_.insert_or_assign(name, std::move(player));
  return result;
}

}  // namespace kilnbook
