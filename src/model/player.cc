#include "model/player.h"

#include <cmath>
#include <limits>
#include <utility>

#include "log/number_text.h"

namespace kilnbook {

namespace {

template <typename Tally, typename Key>
void Increment(Tally& tally, const Key& key) {
  auto it = tally.find(key);
  if (it == tally.end()) {
    tally.emplace(key, 1);
  } else {
    it->second = WrapAdd(it->second, 1);
  }
}

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

}  // namespace

Player::Player(std::string name, const ConfigFile& configFile)
    : config_(configFile.values()), name_(std::move(name)) {
  configFile.ReportIfMissing();
}

void Player::SetHtmlName(const std::string& htmlName) {
  stats_.htmlName = htmlName;
}

void Player::SetPlainName(const std::string& plainName) {
  stats_.plainName = plainName;
}

void Player::AddKill(const std::string& victimPlainName, int32_t code) {
  Increment(stats_.kills);
  Increment(stats_.killWeapons, code);
  Increment(stats_.targets, victimPlainName);
}

void Player::AddDeath(const std::string& killerPlainName, int32_t code) {
  Increment(stats_.deaths);
  Increment(stats_.deathWeapons, code);
  Increment(stats_.killers, killerPlainName);
}

void Player::AddSuicide(int32_t code) {
  Increment(stats_.suicides);
  Increment(stats_.suicideWeapons, code);
}

void Player::AddTeamKill(const std::string& victimName) {
  Increment(stats_.teamKillVictims, victimName);
  Increment(stats_.teamKills);
}

void Player::AddTeam(const std::string& team) { Increment(stats_.teams, team); }

void Player::AddModel(const std::string& model) {
  Increment(stats_.models, model);
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
  return Ratio() * (0.01 * static_cast<double>(static_cast<float>(stats_.score)));
}

int32_t Player::RatioValue() const { return TruncateToInt(Ratio()); }

int32_t Player::RateValue() const { return TruncateToInt(Rate()); }

bool Player::MeetsThresholds() const {
  return stats_.score >= config_->minScore() &&
         stats_.kills >= config_->minKills();
}

}  // namespace kilnbook
