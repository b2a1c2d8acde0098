#include "extra/game_sheet.h"

#include <algorithm>

#include "extra/state_fields.h"

namespace kilnbook {

GameSheet::Entry& GameSheet::Enter(const std::string& name, int64_t rating) {
  auto [it, added] = entries_.try_emplace(name);
  if (added) {
    it->second.name = &it->first;
    it->second.ratingBefore = rating;
  }
  return it->second;
}

void GameSheet::Userinfo(Entry& player, const std::string& team) {
  player.userinfo = true;
  player.team = team;
}

void GameSheet::CountKillLine(int32_t code) { ++weapons_[code]; }

void GameSheet::Kill(Entry& killer, Entry& victim, KillKind kind, int32_t code,
                     int64_t time) {
  ++killer.kills;
  ++killer.weapons[code];
  if (kind == KillKind::kTeamKill) {
    ++killer.teamKills;
  } else if (kind == KillKind::kEnemy) {
    killer.spree += 1;
    killer.bestSpree = std::max(killer.bestSpree, killer.spree);
    // A clock that went backwards breaks the chain.
    bool chained = killer.chain > 0 && time >= killer.lastKillTime &&
                   time - killer.lastKillTime <= kMultiKillSeconds;
    killer.chain = chained ? killer.chain + 1 : 1;
    killer.lastKillTime = time;
    killer.bestChain = std::max(killer.bestChain, killer.chain);
    if (!firstBlood_) {
      firstBlood_ = FirstBlood{*killer.name, *victim.name, time};
    }
  }
  // After the killer's part: a player killed by its own name's other slot
  // ends the spree it just extended.
  ++victim.deaths;
  victim.spree = 0;
}

void GameSheet::Suicide(Entry& player) {
  ++player.suicides;
  player.spree = 0;
}

void GameSheet::Score(Entry& player, int32_t score) {
  // Kept within what the state file reads back, whatever the log repeats.
  player.score =
      std::clamp(player.score.value_or(0) + score, -kMaxCount, kMaxCount);
}

void GameSheet::Red(int32_t red, int32_t blue) {
  scores_ = TeamScores{red, blue};
}

GameRecord GameSheet::Record(const std::map<std::string, int64_t>& played,
                             int64_t start) const {
  GameRecord record;
  record.scores = scores_;
  if (firstBlood_) {
    record.firstBlood = *firstBlood_;
    record.firstBlood->time = std::max<int64_t>(firstBlood_->time - start, 0);
  }
  for (const auto& [code, kills] : weapons_) {
    record.weapons.push_back(WeaponKills{code, kills});
  }
  for (const auto& [name, entry] : entries_) {
    if (!entry.userinfo) {
      continue;
    }
    GamePlayer& player = record.players.emplace_back();
    player.name = name;
    player.team = entry.team;
    player.kills = entry.kills;
    player.deaths = entry.deaths;
    player.suicides = entry.suicides;
    player.teamKills = entry.teamKills;
    player.score = entry.score;
    auto seconds = played.find(name);
    player.secondsPlayed = seconds == played.end() ? 0 : seconds->second;
    player.ratingBefore = entry.ratingBefore;
    player.ratingAfter = entry.ratingBefore;
    player.bestSpree = entry.bestSpree;
    player.bestMultiKill = entry.bestChain;
    // Codes in ascending order: a tie keeps the lower one.
    int64_t most = 0;
    for (const auto& [code, kills] : entry.weapons) {
      if (kills > most) {
        most = kills;
        player.weapon = code;
      }
    }
  }
  return record;
}

}  // namespace kilnbook
