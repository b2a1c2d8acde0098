#include "model/player_table.h"

#include <cstdio>
#include <string_view>
#include <utility>

namespace kilnbook {

namespace {

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
  slotNames_[slot] = name;
  if (players_.find(name) == players_.end()) {
    players_.emplace(name, std::make_unique<Player>(name, configFile_));
  }
}

Player* PlayerTable::ResolveSlot(int32_t slot) {
  auto bound = slotNames_.find(slot);
  if (bound != slotNames_.end() && !bound->second.empty()) {
    auto player = players_.find(bound->second);
    if (player != players_.end()) {
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
  killerPlayer->AddKill(victimPlayer->stats().plainName, code);
  victimPlayer->AddDeath(killerPlayer->stats().plainName, code);
  auto teamOf = [this](int32_t slot) -> std::string_view {
    auto it = slotTeams_.find(slot);
    return it == slotTeams_.end() ? std::string_view() : it->second;
  };
  if (teamOf(killer) != teamOf(victim)) {
    return false;
  }
  killerPlayer->AddTeamKill(slotNames_[victim]);
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
      players_.erase(it);
    }
    if (comma == std::string::npos) {
      break;
    }
    start = comma + 1;
  }
}

void PlayerTable::DropBelowMinKills(int32_t min) {
  DropIf(players_, [min](const Player& p) { return p.stats().kills < min; });
}

void PlayerTable::DropBelowMinScore(int32_t min) {
  DropIf(players_, [min](const Player& p) { return p.stats().score < min; });
}

Player& PlayerTable::ReplacePlayer(const std::string& name) {
  auto player = std::make_unique<Player>(name, configFile_);
  Player& result = *player;
  players_.insert_or_assign(name, std::move(player));
  return result;
}

}  // namespace kilnbook
