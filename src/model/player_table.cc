#include "model/player_table.h"

#include <cstdio>
#include <string_view>
#include <utility>

#include "log/number_text.h"

namespace kilnbook {

namespace {

constexpr size_t kMaxKnownKills = 1 << 16;

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
    ForgetSlot(slot);
  }
  bound = name;
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
      kills_.clear();  // their name entries are keyed by plain names
    }
    player->SetPlainName(plainName);
  }
  // SetName made sure this player exists, also under the empty name.
  players_.find(name)->second->AddModel(head);
  if (Player* player = ResolveSlot(slot)) {
    slotTeams_[slot] = model;
    player->AddTeam(model);
  }
}

void PlayerTable::Score(int32_t slot, int32_t score, int32_t ping) {
  if (Player* player = ResolveSlot(slot)) {
    player->AddScore(score, ping);
  }
}

void PlayerTable::ForgetSlot(int32_t slot) { slotPlayers_.erase(slot); }

bool PlayerTable::Kill(int32_t killer, int32_t victim, int32_t code) {
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
  auto teamOf = [this](int32_t slot) -> std::string_view {
    auto it = slotTeams_.find(slot);
    return it == slotTeams_.end() ? std::string_view() : it->second;
  };
  bool teamKill = teamOf(killer) == teamOf(victim);
  KnownKill& known = KnownKillOf(*killerPlayer, *victimPlayer);
  PlayerStats& k = killerPlayer->stats_;
  PlayerStats& v = victimPlayer->stats_;
  // AddKill and AddDeath, with the name entries already found.
  k.kills = WrapAdd(k.kills, 1);
  CountCode(k.killWeapons, code);
  *known.target = WrapAdd(*known.target, 1);
  v.deaths = WrapAdd(v.deaths, 1);
  CountCode(v.deathWeapons, code);
  *known.killedBy = WrapAdd(*known.killedBy, 1);
  if (!teamKill) {
    return false;
  }
  // The victim's slot resolved through its key name, so that name is the
  // one AddTeamKill books.
  if (known.teamKill == nullptr) {
    known.teamKill =
        &k.teamKillVictims.try_emplace(victimPlayer->name(), 0).first->second;
  }
  *known.teamKill = WrapAdd(*known.teamKill, 1);
  k.teamKills = WrapAdd(k.teamKills, 1);
  return true;
}

PlayerTable::KnownKill& PlayerTable::KnownKillOf(Player& killer,
                                                 Player& victim) {
  auto [known, added] =
      kills_.try_emplace(std::make_pair(&killer, &victim), KnownKill{});
  if (added) {
    // Hostile logs could name any number of players; a real server has a
    // few thousand pairs.
    if (kills_.size() > kMaxKnownKills) {
      kills_.clear();
      return KnownKillOf(killer, victim);
    }
    known->second.target =
        &killer.stats_.targets.try_emplace(victim.stats().plainName, 0)
             .first->second;
    known->second.killedBy =
        &victim.stats_.killers.try_emplace(killer.stats().plainName, 0)
             .first->second;
  }
  return known->second;
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
  kills_.clear();
}

Player& PlayerTable::ReplacePlayer(const std::string& name) {
  auto player = std::make_unique<Player>(name, configFile_);
  Player& result = *player;
  ForgetPlayers();
  players_.insert_or_assign(name, std::move(player));
  return result;
}

}  // namespace kilnbook
