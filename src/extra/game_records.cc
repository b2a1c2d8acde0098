#include "extra/game_records.h"

#include <algorithm>
#include <utility>

namespace kilnbook {

int64_t FeatValue(const GamePlayer& player, Feat feat) {
  switch (feat) {
    case Feat::kKills:
      return player.kills;
    case Feat::kSpree:
      return player.bestSpree;
    case Feat::kMultiKill:
      return player.bestMultiKill;
  }
  return 0;
}

const FeatFigure& FeatOf(const PlayerBests& bests, Feat feat) {
  switch (feat) {
    case Feat::kSpree:
      return bests.spree;
    case Feat::kMultiKill:
      return bests.multiKill;
    case Feat::kKills:
      break;
  }
  return bests.kills;
}

FeatFigure& FeatOf(PlayerBests& bests, Feat feat) {
  return const_cast<FeatFigure&>(FeatOf(std::as_const(bests), feat));
}

const std::vector<RecordEntry>& FeatOf(const ServerRecords& records,
                                       Feat feat) {
  switch (feat) {
    case Feat::kSpree:
      return records.sprees;
    case Feat::kMultiKill:
      return records.multiKills;
    case Feat::kKills:
      break;
  }
  return records.kills;
}

std::vector<RecordEntry>& FeatOf(ServerRecords& records, Feat feat) {
  return const_cast<std::vector<RecordEntry>&>(
      FeatOf(std::as_const(records), feat));
}

bool RanksBefore(const RecordEntry& a, const RecordEntry& b) {
  if (a.value != b.value) {
    return a.value > b.value;
  }
  if (a.game != b.game) {
    return a.game < b.game;
  }
  return a.name < b.name;
}

GameWinner WinnerOf(const GameRecord& game) {
  if (!game.scores) {
    return GameWinner::kNone;
  }
  if (game.scores->red > game.scores->blue) {
    return GameWinner::kAxis;
  }
  if (game.scores->blue > game.scores->red) {
    return GameWinner::kAllies;
  }
  return GameWinner::kDraw;
}

const GameRecord* FindGameRecord(const std::deque<GameRecord>& games,
                                 int64_t number) {
  auto it = std::lower_bound(
      games.begin(), games.end(), number,
      [](const GameRecord& game, int64_t n) { return game.number < n; });
  return it == games.end() || it->number != number ? nullptr : &*it;
}

GameRecord* FindGameRecord(std::deque<GameRecord>& games, int64_t number) {
  return const_cast<GameRecord*>(FindGameRecord(std::as_const(games), number));
}

const GamePlayer* FindGamePlayer(const GameRecord& game,
                                 std::string_view name) {
  auto it =
      std::lower_bound(game.players.begin(), game.players.end(), name,
                       [](const GamePlayer& player, std::string_view key) {
                         return player.name < key;
                       });
  return it == game.players.end() || it->name != name ? nullptr : &*it;
}

}  // namespace kilnbook
