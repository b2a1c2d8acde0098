#include "extra/extra_stats.h"

#include <algorithm>
#include <utility>

#include "extra/extra_state.h"
#include "extra/games_state.h"
#include "extra/skill_rating.h"
#include "extra/state_fields.h"
#include "log/game_end_check.h"
#include "log/line_fields.h"
#include "model/player_table.h"
#include "time/calendar.h"

namespace kilnbook {

void ExtraStats::BeginRun(std::time_t runTime) {
  runTime_ = runTime;
  runDay_ = LocalDayNumber(runTime);
  slots_ = SlotNames();
  game_.reset();
  ForgetRecordPointers();
  games_.BeginRun();
}

void ExtraStats::AccountLine(std::string_view line, const LogEvent& event) {
  if (event.kind == LogEventKind::InitGame) {
    FinishGame();  // a game cut off without "ShutdownGame:"
    StartGame(line);
    return;
  }
  if (game_) {
    if (std::optional<int64_t> time = TimeColumnSeconds(line)) {
      game_->SetTime(*time);
    }
    // Only the server's own game end ends a game, as the pre-pass sees it:
    // no run ever stops inside a game, and every run ends its games alike.
    if (EndsGame(line)) {
      FinishGame();
      return;
    }
  }
  switch (event.kind) {
    case LogEventKind::Score:
      Score(event);
      break;
    case LogEventKind::Red:
      Red(event);
      break;
    case LogEventKind::ClientUserinfoChanged:
      Userinfo(event);
      break;
    case LogEventKind::ClientDisconnect:
      if (game_) {
        game_->Disconnect(DisconnectSlot(line));
      }
      break;
    case LogEventKind::Kill:
      Kill(event);
      break;
    default:
      break;
  }
}

void ExtraStats::EndRun() {
  FinishGame();
  if (runDay_) {
    // Never the run's own day, which runDayTotals_ may point to.
    auto& days = records_.days;
    days.erase(days.begin(), days.lower_bound(*runDay_ - kHistoryDays));
  }
  games_.Trim();
}

std::string ExtraStats::StateText() const { return ExtraStateText(records_); }

std::string ExtraStats::GamesStateText() const {
  return kilnbook::GamesStateText(games_.archive());
}

bool ExtraStats::LoadState(std::string_view text) {
  ForgetRecordPointers();
  return ReadExtraState(text, records_);
}

bool ExtraStats::LoadGamesState(std::string_view text) {
  GameArchive archive;
  bool read = ReadGamesState(text, archive);
  games_.Replace(std::move(archive));
  return read;
}

const PlayerExtra* ExtraStats::FindPlayer(std::string_view name) const {
  auto it = records_.players.find(name);
  return it == records_.players.end() ? nullptr : &it->second;
}

void ExtraStats::StartGame(std::string_view line) {
  game_.emplace(InitGameMapName(line), TimeColumnSeconds(line));
  if (!game_->map().empty()) {
    gameMap_ = &records_.maps[game_->map()];
  }
}

void ExtraStats::FinishGame() {
  if (!game_) {
    return;
  }
  if (gameMap_ != nullptr) {
    ++gameMap_->games;
  }
  if (DayTotals* day = RunDay()) {
    ++day->games;
  }
  std::map<std::string, int64_t> played = game_->Finish();
  for (const auto& [name, seconds] : played) {
    SeePlayer(name, seconds);
  }
  GameRecord record = game_->sheet().Record(played, game_->start());
  record.runTime = std::clamp<int64_t>(runTime_, 0, kMaxTime);
  record.map = game_->map();
  record.length = game_->Length();
  for (GamePlayer& player : record.players) {
    player.ratingAfter = RatingOf(player.name);
  }
  games_.Add(std::move(record));
  game_.reset();
  gameMap_ = nullptr;
  slotRecords_.clear();  // their map totals belong to the finished game
}

void ExtraStats::SeePlayer(const std::string& name, int64_t seconds) {
  PlayerExtra& player = records_.players[name];
  // A player counts once per day, in the first run of the day that sees it.
  DayTotals* day = RunDay();
  if (day != nullptr &&
      !(player.lastSeen && LocalDayNumber(*player.lastSeen) == runDay_)) {
    ++day->players;
  }
  if (!player.firstSeen) {
    player.firstSeen = runTime_;
  }
  player.lastSeen = runTime_;
  ++player.games;
  player.secondsPlayed += seconds;
  if (gameMap_ != nullptr) {
    ++player.maps[game_->map()].games;
  }
}

void ExtraStats::Userinfo(const LogEvent& event) {
  slots_.Userinfo(event.slot, event.name, event.model);
  slotRecords_.erase(event.slot);
  if (game_) {
    game_->Userinfo(event.slot, event.name);
    // The empty name resolves to no one and plays no part.
    if (!event.name.empty()) {
      game_->sheet().Userinfo(SheetEntry(event.slot, slotRecords_[event.slot]),
                              event.model);
    }
  }
}

void ExtraStats::Score(const LogEvent& event) {
  if (game_ && slots_.Resolve(event.slot) != nullptr) {
    game_->sheet().Score(SheetEntry(event.slot, slotRecords_[event.slot]),
                         event.score);
  }
}

void ExtraStats::Red(const LogEvent& event) {
  // A "red:" line too short to hold both scores has none.
  if (game_ && event.redScore != UNSET && event.blueScore != UNSET) {
    game_->sheet().Red(event.redScore, event.blueScore);
  }
  if (gameMap_ == nullptr) {
    return;
  }
  // Red is Axis; equal scores are nobody's win.
  if (event.redScore < event.blueScore) {
    ++gameMap_->alliesWins;
  } else if (event.blueScore < event.redScore) {
    ++gameMap_->axisWins;
  }
}

void ExtraStats::Kill(const LogEvent& event) {
  if (DayTotals* day = RunDay()) {
    ++day->kills;
  }
  if (gameMap_ != nullptr) {
    ++gameMap_->kills;
  }
  if (game_) {
    game_->sheet().CountKillLine(event.meansOfDeath);
  }
  if (slots_.Resolve(event.killer) == nullptr ||
      slots_.Resolve(event.victim) == nullptr) {
    return;
  }
  // Each side's records are looked up once for the whole line.
  SlotRecords& killer = slotRecords_[event.killer];
  // The sheet first: a player's first event in the game takes its rating
  // before the game.
  if (event.killer == event.victim) {
    if (game_) {
      game_->sheet().Suicide(SheetEntry(event.killer, killer));
    }
    if (event.killer != kWorldSlot) {
      SlotPlayer(event.killer, killer).rating -= kSuicidePenalty;
    }
    return;
  }
  bool sameTeam = slots_.SameTeam(event.killer, event.victim);
  SlotRecords& victim = slotRecords_[event.victim];
  if (game_) {
    BookKill(event, sameTeam, killer, victim);
  }
  if (PlayerMapTotals* map = SlotPlayerMap(event.killer, killer)) {
    ++map->kills;
  }
  if (PlayerMapTotals* map = SlotPlayerMap(event.victim, victim)) {
    ++map->deaths;
  }
  Rate(event, sameTeam, killer, victim);
}

void ExtraStats::BookKill(const LogEvent& event, bool sameTeam,
                          SlotRecords& killerRecords,
                          SlotRecords& victimRecords) {
  // As the counters judge a team kill, whoever the slots are; the world is
  // nobody's enemy.
  KillKind kind = KillKind::kEnemy;
  if (sameTeam) {
    kind = KillKind::kTeamKill;
  } else if (event.killer == kWorldSlot || event.victim == kWorldSlot) {
    kind = KillKind::kWorld;
  }
  GameSheet::Entry& killer = SheetEntry(event.killer, killerRecords);
  GameSheet::Entry& victim = SheetEntry(event.victim, victimRecords);
  game_->sheet().Kill(killer, victim, kind, event.meansOfDeath, game_->now());
}

void ExtraStats::Rate(const LogEvent& event, bool sameTeam,
                      SlotRecords& killerRecords, SlotRecords& victimRecords) {
  // The world is nobody's opponent.
  if (event.killer == kWorldSlot || event.victim == kWorldSlot) {
    return;
  }
  PlayerExtra& killer = SlotPlayer(event.killer, killerRecords);
  if (sameTeam) {
    killer.rating -= kTeamKillPenalty;
    return;
  }
  // Two slots of one name exchange with themselves: no change.
  PlayerExtra& victim = SlotPlayer(event.victim, victimRecords);
  int64_t exchange = KillExchange(killer.rating, victim.rating);
  killer.rating += exchange;
  victim.rating -= exchange;
}

DayTotals* ExtraStats::RunDay() {
  if (runDayTotals_ == nullptr && runDay_) {
    runDayTotals_ = &records_.days[*runDay_];
  }
  return runDayTotals_;
}

PlayerExtra& ExtraStats::SlotPlayer(int32_t slot, SlotRecords& cached) {
  if (cached.player == nullptr) {
    cached.player = &records_.players[*slots_.Resolve(slot)];
  }
  return *cached.player;
}

PlayerMapTotals* ExtraStats::SlotPlayerMap(int32_t slot, SlotRecords& cached) {
  if (gameMap_ == nullptr) {
    return nullptr;
  }
  if (cached.map == nullptr) {
    cached.map = &SlotPlayer(slot, cached).maps[game_->map()];
  }
  return cached.map;
}

GameSheet::Entry& ExtraStats::SheetEntry(int32_t slot, SlotRecords& cached) {
  if (cached.sheet == nullptr) {
    const std::string& name = *slots_.Resolve(slot);
    cached.sheet = &game_->sheet().Enter(name, RatingOf(name));
  }
  return *cached.sheet;
}

int64_t ExtraStats::RatingOf(const std::string& name) const {
  const PlayerExtra* player = FindPlayer(name);
  return player == nullptr ? kStartRating : player->rating;
}

void ExtraStats::ForgetRecordPointers() {
  runDayTotals_ = nullptr;
  gameMap_ = nullptr;
  slotRecords_.clear();
}

std::string_view FavouriteMap(const PlayerExtra& player) {
  std::string_view best;
  const PlayerMapTotals* bestTotals = nullptr;
  // Maps come in name order, so a tie keeps the earlier name. Only maps
  // played count: the world kills on maps it never plays.
  for (const auto& [map, totals] : player.maps) {
    if (totals.games <= 0) {
      continue;
    }
    if (bestTotals == nullptr || totals.games > bestTotals->games ||
        (totals.games == bestTotals->games &&
         totals.kills > bestTotals->kills)) {
      best = map;
      bestTotals = &totals;
    }
  }
  return best;
}

}  // namespace kilnbook
