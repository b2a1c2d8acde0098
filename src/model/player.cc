#include "model/player.h"

#include <cmath>
#include <limits>
#include <utility>

#include "log/number_text.h"

namespace kilnbook {

namespace {

void Increment(int32_t& counter) { counter = WrapAdd(counter, 1); }

// Single precision first, then truncation toward zero; out-of-range values
// are clamped and NaN gives 0 so that the conversion is always defined.
int32_t TruncateToInt(double value) {
  float single = static_cast<float>(value);
  if (std::isnan(single)) {
    return 0;
  }
  if (single >= 2147483648.0f) {
    return std::numeric_limits<int32_t>::max();
  }
  if (single < -2147483648.0f) {
    return std::numeric_limits<int32_t>::min();
  }
  return static_cast<int32_t>(single);
}

// Gives `tally` names of `pool`: an empty one simply takes the pool.
void MoveInto(NameTally& tally, NamePool& pool) {
  if (tally.pool() == &pool) {
    return;
  }
  tally = tally.empty() ? NameTally(pool) : tally.InternedIn(pool);
}

}  // namespace

Player::Player(std::string name, const ConfigFile& configFile, NamePool& names)
    : config_(configFile.values()),
      names_(&names),
      name_(std::move(name)),
      nameId_(names.Intern(name_)) {
  configFile.ReportIfMissing();
  for (NameTally* tally : {&stats_.killers, &stats_.targets, &stats_.teams,
                           &stats_.models, &stats_.teamKillVictims}) {
    *tally = NameTally(names);
  }
}

void Player::Restore(PlayerStats stats) {
  stats_ = std::move(stats);
  for (NameTally* tally : {&stats_.killers, &stats_.targets, &stats_.teams,
                           &stats_.models, &stats_.teamKillVictims}) {
    MoveInto(*tally, *names_);
  }
  plainNameId_ = names_->Intern(stats_.plainName);
}

void Player::SetHtmlName(std::string_view htmlName) {
  stats_.htmlName.assign(htmlName);
}

void Player::SetPlainName(std::string_view plainName) {
  if (plainName != stats_.plainName) {
    stats_.plainName.assign(plainName);
    plainNameId_ = names_->Intern(plainName);
  }
}

void Player::AddKill(std::string_view victimPlainName, int32_t code) {
  AddKill(names_->Intern(victimPlainName), code, NameTally::kNoHint);
}

size_t Player::AddKill(NameId victimPlainName, int32_t code, size_t hint) {
  Increment(stats_.kills);
  stats_.killWeapons.Increment(code);
  return stats_.targets.Increment(victimPlainName, hint);
}

void Player::AddDeath(std::string_view killerPlainName, int32_t code) {
  AddDeath(names_->Intern(killerPlainName), code, NameTally::kNoHint);
}

size_t Player::AddDeath(NameId killerPlainName, int32_t code, size_t hint) {
  Increment(stats_.deaths);
  stats_.deathWeapons.Increment(code);
  return stats_.killers.Increment(killerPlainName, hint);
}

void Player::AddSuicide(int32_t code) {
  Increment(stats_.suicides);
  stats_.suicideWeapons.Increment(code);
}

void Player::AddTeamKill(std::string_view victimName) {
  AddTeamKill(names_->Intern(victimName), NameTally::kNoHint);
}

size_t Player::AddTeamKill(NameId victimName, size_t hint) {
  Increment(stats_.teamKills);
  return stats_.teamKillVictims.Increment(victimName, hint);
}

void Player::AddTeam(std::string_view team) { AddTeam(names_->Intern(team)); }

void Player::AddTeam(NameId team) { stats_.teams.Increment(team); }

void Player::AddModel(std::string_view model) {
  stats_.models.Increment(names_->Intern(model));
}

void Player::AddScore(int32_t score, int32_t pingSample) {
  stats_.ping = WrapAverage(stats_.ping, pingSample);
  stats_.score = WrapAdd(stats_.score, score);
}

double Player::Ratio() const {
  // Without deaths the quotient would not be finite: count one death.
  double deaths = stats_.deaths == 0 ? 1.0 : static_cast<double>(stats_.deaths);
  double quotient = static_cast<double>(stats_.kills) / deaths;
  return quotient * 10;
}

double Player::Rate() const {
  return Ratio() *
         (0.01 * static_cast<double>(static_cast<float>(stats_.score)));
}

int32_t Player::RatioValue() const { return TruncateToInt(Ratio()); }

int32_t Player::RateValue() const { return TruncateToInt(Rate()); }

bool Player::MeetsThresholds() const {
  return stats_.score >= config_->minScore() &&
         stats_.kills >= config_->minKills();
}

}  // namespace kilnbook
