#include "extra/game_history.h"

#include <algorithm>
#include <utility>

namespace kilnbook {

void GameHistory::BeginRun() {
  runFirst_ = archive_.nextNumber;
  dropped_.clear();
}

int64_t GameHistory::Add(GameRecord game) {
  int64_t number = archive_.nextNumber++;
  game.number = number;
  BookFigures(game);
  for (const GamePlayer& player : game.players) {
    playerGames_[player.name].push_back(number);
  }
  archive_.games.push_back(std::move(game));
  Trim();
  return number;
}

void GameHistory::Trim() {
  while (archive_.games.size() > static_cast<uint64_t>(limit_)) {
    DropOldest();
  }
}

void GameHistory::Replace(GameArchive archive) {
  archive_ = std::move(archive);
  playerGames_.clear();
  for (const GameRecord& game : archive_.games) {
    for (const GamePlayer& player : game.players) {
      playerGames_[player.name].push_back(game.number);
    }
  }
  BeginRun();
}

std::vector<int64_t> GameHistory::added() const {
  std::vector<int64_t> numbers;
  if (archive_.games.empty()) {
    return numbers;
  }
  // The run's games are the newest and numbered in a row; the oldest of
  // them may be dropped already.
  for (int64_t number = std::max(runFirst_, archive_.games.front().number);
       number < archive_.nextNumber; ++number) {
    numbers.push_back(number);
  }
  return numbers;
}

bool GameHistory::AddedThisRun(int64_t number) const {
  return !archive_.games.empty() && number >= runFirst_ &&
         number >= archive_.games.front().number &&
         number < archive_.nextNumber;
}

const GameRecord* GameHistory::FindGame(int64_t number) const {
  return FindGameRecord(archive_.games, number);
}

std::vector<PlayerGame> GameHistory::LastGamesOf(std::string_view name,
                                                 size_t count) const {
  std::vector<PlayerGame> last;
  auto it = playerGames_.find(std::string(name));
  if (it == playerGames_.end()) {
    return last;
  }
  const std::vector<int64_t>& numbers = it->second;
  for (auto number = numbers.rbegin();
       number != numbers.rend() && last.size() < count; ++number) {
    const GameRecord* game = FindGame(*number);
    if (game == nullptr) {
      break;  // dropped, as every older one
    }
    last.push_back(PlayerGame{game, FindGamePlayer(*game, name)});
  }
  return last;
}

const PlayerBests* GameHistory::BestsOf(std::string_view name) const {
  auto it = archive_.bests.find(name);
  return it == archive_.bests.end() ? nullptr : &it->second;
}

void GameHistory::BookFigures(const GameRecord& game) {
  for (const GamePlayer& player : game.players) {
    for (Feat feat : kFeats) {
      int64_t value = FeatValue(player, feat);
      if (value <= 0) {
        continue;
      }
      // Only a higher figure replaces a best: a tie keeps the earlier game.
      FeatFigure& best = FeatOf(archive_.bests[player.name], feat);
      if (value > best.value) {
        best = FeatFigure{value, game.number};
      }
      std::vector<RecordEntry>& records = FeatOf(archive_.records, feat);
      RecordEntry entry{value, game.number, player.name};
      records.insert(
          std::upper_bound(records.begin(), records.end(), entry, RanksBefore),
          std::move(entry));
      if (records.size() > kRecordsKept) {
        records.pop_back();
      }
    }
  }
}

void GameHistory::DropOldest() {
  // The players' lists keep the number until the next Replace: a dropped
  // game is older than every kept one, and LastGamesOf stops at it.
  const GameRecord& oldest = archive_.games.front();
  // The games of this run are the newest: one of them is dropped only after
  // every older game, and is none of dropped().
  if (oldest.number < runFirst_) {
    dropped_.push_back(oldest.number);
  }
  archive_.games.pop_front();
}

}  // namespace kilnbook
