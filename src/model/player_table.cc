#include "model/player_table.h"

#include <cstdio>
#include <utility>

namespace kilnbook {

namespace {

constexpr size_t kLowSlots = 1024;

// Room for the pairs of a few hundred busy players (256 KB).
constexpr size_t kHintBits = 16;

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
      lowSlots_(kLowSlots),
      config_(configFile),
      serverName_(std::move(serverName)) {
  SetName(kWorldSlot, kWorldName);
  ReplacePlayer(kDefaultPlayerName);
}

PlayerTable::Slot& PlayerTable::SlotOf(int32_t slot) {
  if (slot >= 0 && static_cast<size_t>(slot) < kLowSlots) {
    return lowSlots_[static_cast<size_t>(slot)];
  }
  return otherSlots_[slot];
}

PlayerTable::Slot* PlayerTable::FindSlot(int32_t slot) {
  if (slot >= 0 && static_cast<size_t>(slot) < kLowSlots) {
    return &lowSlots_[static_cast<size_t>(slot)];
  }
  auto it = otherSlots_.find(slot);
  return it == otherSlots_.end() ? nullptr : &it->second;
}

void PlayerTable::SetName(int32_t slot, std::string_view name) {
  BindName(SlotOf(slot), name);
}

Player& PlayerTable::BindName(Slot& slot, std::string_view name) {
  NameId id = names_.Intern(name);
  // A slot mostly reports the name it already has (team changes, a new map).
  if (slot.name == id && slot.player != nullptr &&
      slot.generation == generation_) {
    return *slot.player;
  }
  auto it = players_.lower_bound(name);
  if (it == players_.end() || it->first != name) {
    it = players_.emplace_hint(
        it, std::string(name),
        std::make_unique<Player>(std::string(name), configFile_, names_));
  }
  slot.name = id;
  // A slot bound to the empty name never resolves.
  slot.player = name.empty() ? nullptr : it->second.get();
  slot.generation = generation_;
  return *it->second;
}

Player* PlayerTable::ResolveSlot(int32_t slot) {
  Slot* bound = FindSlot(slot);
  return bound == nullptr ? Unresolved() : Resolve(*bound);
}

Player* PlayerTable::Resolve(Slot& slot) {
  if (slot.player != nullptr && slot.generation == generation_) {
    return slot.player;
  }
  if (slot.name != NamePool::kEmpty) {
    auto it = players_.find(names_.Text(slot.name));
    if (it != players_.end()) {
      slot.player = it->second.get();
      slot.generation = generation_;
      return slot.player;
    }
  }
  return Unresolved();
}

Player* PlayerTable::Unresolved() {
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
  Slot& bound = SlotOf(slot);
  Player& named = BindName(bound, name);
  // Each step needs the slot's player; under the empty name it has none,
  // and each step reports that.
  if (Player* player = Resolve(bound)) {
    player->SetHtmlName(htmlName);
  }
  if (Player* player = Resolve(bound)) {
    player->SetPlainName(plainName);
  }
  // The player of the name exists, also under the empty name.
  named.AddModel(head);
  if (Player* player = Resolve(bound)) {
    bound.team = names_.Intern(model);
    player->AddTeam(bound.team);
  }
}

void PlayerTable::Score(int32_t slot, int32_t score, int32_t ping) {
  if (Player* player = ResolveSlot(slot)) {
    player->AddScore(score, ping);
  }
}

bool PlayerTable::Kill(int32_t killer, int32_t victim, int32_t code) {
  Slot* killerSlot = FindSlot(killer);
  Player* killerPlayer =
      killerSlot == nullptr ? Unresolved() : Resolve(*killerSlot);
  if (killerPlayer == nullptr) {
    return false;
  }
  Slot* victimSlot = FindSlot(victim);
  Player* victimPlayer =
      victimSlot == nullptr ? Unresolved() : Resolve(*victimSlot);
  if (victimPlayer == nullptr) {
    return false;
  }
  // Slot equality decides: two slots sharing a name are not a suicide.
  if (killer == victim) {
    killerPlayer->AddSuicide(code);
    return false;
  }
  bool teamKill = killerSlot->team == victimSlot->team;
  PlayerStats& k = killerPlayer->stats_;
  PlayerStats& v = victimPlayer->stats_;
  uint32_t& target = HintOf(k.targets, victimPlayer->plainNameId_);
  target = static_cast<uint32_t>(
      killerPlayer->AddKill(victimPlayer->plainNameId_, code, target));
  uint32_t& killedBy = HintOf(v.killers, killerPlayer->plainNameId_);
  killedBy = static_cast<uint32_t>(
      victimPlayer->AddDeath(killerPlayer->plainNameId_, code, killedBy));
  if (!teamKill) {
    return false;
  }
  // The victim's slot resolved through its key name, so that name is the
  // one a team kill books.
  uint32_t& teamKilled = HintOf(k.teamKillVictims, victimPlayer->nameId_);
  teamKilled = static_cast<uint32_t>(
      killerPlayer->AddTeamKill(victimPlayer->nameId_, teamKilled));
  return true;
}

uint32_t& PlayerTable::HintOf(const NameTally& tally, NameId name) {
  if (hints_.empty()) {
    // Only runs that count kills need it; no place is known yet.
    hints_.assign(size_t{1} << kHintBits, UINT32_MAX);
  }
  uint64_t key = reinterpret_cast<uintptr_t>(&tally) * 0x9E3779B97F4A7C15ull ^
                 (static_cast<uint64_t>(name) + 1) * 0xC2B2AE3D27D4EB4Full;
  return hints_[key >> (64 - kHintBits)];
}

void PlayerTable::ExcludePlayers() {
  const std::string& list = config_.excludePlayers();
  if (list.empty()) {
    return;
  }
  size_t start = 0;
  while (true) {
    size_t comma = list.find(',', start);
    std::string_view piece = std::string_view(list).substr(
        start, comma == std::string::npos ? std::string::npos : comma - start);
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

Player& PlayerTable::ReplacePlayer(std::string_view name) {
  auto player =
      std::make_unique<Player>(std::string(name), configFile_, names_);
  Player& result = *player;
  ForgetPlayers();
  auto it = players_.lower_bound(name);
  if (it != players_.end() && it->first == name) {
    it->second = std::move(player);
  } else {
    players_.emplace_hint(it, std::string(name), std::move(player));
  }
  return result;
}

}  // namespace kilnbook
