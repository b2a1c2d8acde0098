// The games file holds one record per line, fields separated by "|", every
// line ended by a line feed:
//
//   KILNBOOK_GAMES|1                             header, format version
//   NEXT|number                                  the next game's number
//   GAM|number|run time|map|length|red|blue|first blood time|first blood
//       killer|first blood victim|weapons        one per kept game
//   GPL|number|name|team|kills|deaths|suicides|team kills|score|seconds
//       played|rating before|rating after|best spree|best multi-kill|weapon
//                                                one per player of a game
//   BST|name|most kills|game|longest spree|game|biggest multi-kill|game
//                                                one per player with a best
//   REC|feat|value|game|name                     one per server record
//
// (GAM and GPL records are one line each.) Written in this order: the
// header, NEXT, each kept game by number followed by its GPL lines by player
// name, the BST lines by player name, then the REC lines of KILLS, SPREE and
// MULTIKILL, best first.
//
// Game numbers are from 1 to 2^53; the run time is in seconds since the
// epoch; the length, first blood time and seconds played are seconds of the
// log's time column. Names and maps are cleaned texts (CleanText), which
// never hold "|" or a line feed; a team is the log's team identifier, which
// holds neither either. Red and blue are the scores of the game's last
// "red:" line (32-bit), both empty without one; the three first blood
// fields are empty when the game had no enemy kill. Weapons are
// "code:kills" pairs, codes ascending and separated by ",", empty when the
// game had no kill line. The score is empty without a "score:" line, the
// weapon (a means-of-death code) when the player made no kill. Ratings are
// in thousandths of a point. A best is a figure and its game number, both
// empty when the player has none of that feat. Counts are decimal 64-bit
// integers from 0 to 2^53; every figure of a best or record is at least 1.
#include "extra/games_state.h"

#include <algorithm>
#include <climits>
#include <cstdint>
#include <deque>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "extra/state_fields.h"
#include "log/number_text.h"
#include "log/text_clean.h"

namespace kilnbook {

namespace {

constexpr std::string_view kHeader = "KILNBOOK_GAMES|";
constexpr std::string_view kVersion = "1";

using Fields = std::vector<std::string_view>;

constexpr std::string_view FeatName(Feat feat) {
  switch (feat) {
    case Feat::kSpree:
      return "SPREE";
    case Feat::kMultiKill:
      return "MULTIKILL";
    case Feat::kKills:
      break;
  }
  return "KILLS";
}

std::optional<int64_t> GameNumber(std::string_view field) {
  return BoundedNumber(field, 1, kMaxCount);
}

std::optional<int64_t> Code(std::string_view field) {
  return BoundedNumber(field, INT32_MIN, INT32_MAX);
}

bool ReadWeapons(std::string_view field, std::vector<WeaponKills>& weapons) {
  if (field.empty()) {
    return true;
  }
  for (std::string_view pair : SplitFields(field, ',')) {
    size_t colon = pair.find(':');
    if (colon == std::string_view::npos) {
      return false;
    }
    auto code = Code(pair.substr(0, colon));
    auto kills = BoundedNumber(pair.substr(colon + 1), 1, kMaxCount);
    if (!code || !kills || (!weapons.empty() && *code <= weapons.back().code)) {
      return false;
    }
    weapons.push_back(WeaponKills{static_cast<int32_t>(*code), *kills});
  }
  return true;
}

// What the lines give before the archive is put in order.
struct Reading {
  int64_t next = 1;
  GameArchive archive;
};

// The game `number` of `games` (numbers ascending), made in its place when
// there is none. The file lists games in order: a new one mostly goes last.
GameRecord& GameSlot(std::deque<GameRecord>& games, int64_t number) {
  auto it = games.end();
  if (!games.empty() && games.back().number >= number) {
    it = std::lower_bound(
        games.begin(), games.end(), number,
        [](const GameRecord& game, int64_t n) { return game.number < n; });
  }
  if (it == games.end() || it->number != number) {
    it = games.emplace(it);
    it->number = number;
  }
  return *it;
}

// The line of `name` in `players` (names in byte order), made in its place
// when there is none; mostly last, as above.
GamePlayer& PlayerSlot(std::vector<GamePlayer>& players,
                       std::string_view name) {
  auto it = players.end();
  if (!players.empty() && players.back().name >= name) {
    it = std::lower_bound(players.begin(), players.end(), name,
                          [](const GamePlayer& player, std::string_view n) {
                            return player.name < n;
                          });
  }
  if (it == players.end() || it->name != name) {
    it = players.emplace(it);
    it->name = std::string(name);
  }
  return *it;
}

bool ReadScores(const Fields& f, GameRecord& game) {
  if (f[5].empty() && f[6].empty()) {
    game.scores.reset();
    return true;
  }
  auto red = Code(f[5]), blue = Code(f[6]);
  if (!red || !blue) {
    return false;
  }
  game.scores =
      TeamScores{static_cast<int32_t>(*red), static_cast<int32_t>(*blue)};
  return true;
}

bool ReadFirstBlood(const Fields& f, GameRecord& game) {
  game.firstBlood.reset();
  if (f[7].empty() && f[8].empty() && f[9].empty()) {
    return true;
  }
  auto time = CountField(f[7]);
  if (!time || f[8].empty() || f[9].empty() || !IsCleanText(f[8]) ||
      !IsCleanText(f[9])) {
    return false;
  }
  game.firstBlood = FirstBlood{std::string(f[8]), std::string(f[9]), *time};
  return true;
}

void ReadGame(const Fields& f, Reading& reading) {
  GameRecord game;
  auto number = GameNumber(f[1]);
  auto runTime = BoundedNumber(f[2], 0, kMaxTime);
  auto length = CountField(f[4]);
  if (!number || !runTime || !IsCleanText(f[3]) || !length ||
      !ReadScores(f, game) || !ReadFirstBlood(f, game) ||
      !ReadWeapons(f[10], game.weapons)) {
    return;
  }
  game.runTime = *runTime;
  game.map = std::string(f[3]);
  game.length = *length;
  // A game read again replaces the earlier line; its players stay.
  GameRecord& slot = GameSlot(reading.archive.games, *number);
  game.number = *number;
  game.players = std::move(slot.players);
  slot = std::move(game);
}

void ReadGamePlayer(const Fields& f, Reading& reading) {
  auto number = GameNumber(f[1]);
  GameRecord* game =
      number ? FindGameRecord(reading.archive.games, *number) : nullptr;
  if (game == nullptr || !IsCleanText(f[2])) {
    return;
  }
  GamePlayer p;
  std::optional<int64_t> counts[4], weapon;
  for (size_t i = 0; i < 4; ++i) {
    counts[i] = CountField(f[4 + i]);
  }
  auto seconds = CountField(f[9]);
  auto before = BoundedNumber(f[10], -kMaxRating, kMaxRating);
  auto after = BoundedNumber(f[11], -kMaxRating, kMaxRating);
  auto spree = CountField(f[12]), multiKill = CountField(f[13]);
  if (!counts[0] || !counts[1] || !counts[2] || !counts[3] ||
      !ReadOptionalNumber(f[8], -kMaxCount, kMaxCount, p.score) || !seconds ||
      !before || !after || !spree || !multiKill ||
      !ReadOptionalNumber(f[14], INT32_MIN, INT32_MAX, weapon)) {
    return;
  }
  p.team = std::string(f[3]);
  p.kills = *counts[0];
  p.deaths = *counts[1];
  p.suicides = *counts[2];
  p.teamKills = *counts[3];
  p.secondsPlayed = *seconds;
  p.ratingBefore = *before;
  p.ratingAfter = *after;
  p.bestSpree = *spree;
  p.bestMultiKill = *multiKill;
  if (weapon) {
    p.weapon = static_cast<int32_t>(*weapon);
  }
  GamePlayer& slot = PlayerSlot(game->players, f[2]);
  p.name = std::move(slot.name);
  slot = std::move(p);
}

// A best: a figure and its game, both empty for none.
bool ReadBest(std::string_view value, std::string_view game, FeatFigure& best) {
  if (value.empty() && game.empty()) {
    best = FeatFigure();
    return true;
  }
  auto v = BoundedNumber(value, 1, kMaxCount);
  auto g = GameNumber(game);
  if (!v || !g) {
    return false;
  }
  best = FeatFigure{*v, *g};
  return true;
}

void ReadBests(const Fields& f, Reading& reading) {
  PlayerBests bests;
  if (IsCleanText(f[1]) && ReadBest(f[2], f[3], bests.kills) &&
      ReadBest(f[4], f[5], bests.spree) &&
      ReadBest(f[6], f[7], bests.multiKill)) {
    // In name order the end is the right place, found at once.
    auto& all = reading.archive.bests;
    all.insert_or_assign(all.end(), std::string(f[1]), bests);
  }
}

void ReadRecordEntry(const Fields& f, Reading& reading) {
  auto value = BoundedNumber(f[2], 1, kMaxCount);
  auto game = GameNumber(f[3]);
  if (!value || !game || !IsCleanText(f[4])) {
    return;
  }
  for (Feat feat : kFeats) {
    if (f[1] == FeatName(feat)) {
      FeatOf(reading.archive.records, feat)
          .push_back(RecordEntry{*value, *game, std::string(f[4])});
    }
  }
}

void ReadLine(std::string_view line, Reading& reading) {
  Fields f = SplitFields(line);
  if (f[0] == "NEXT" && f.size() == 2) {
    if (auto next = GameNumber(f[1])) {
      reading.next = *next;
    }
  } else if (f[0] == "GAM" && f.size() == 11) {
    ReadGame(f, reading);
  } else if (f[0] == "GPL" && f.size() == 15) {
    ReadGamePlayer(f, reading);
  } else if (f[0] == "BST" && f.size() == 8) {
    ReadBests(f, reading);
  } else if (f[0] == "REC" && f.size() == 5) {
    ReadRecordEntry(f, reading);
  }
}

// The archive of what was read: records in order, and a next number above
// every number in use.
GameArchive Finish(Reading reading) {
  GameArchive archive = std::move(reading.archive);
  int64_t highest = archive.games.empty() ? 0 : archive.games.back().number;
  for (const auto& [name, bests] : archive.bests) {
    for (Feat feat : kFeats) {
      highest = std::max(highest, FeatOf(bests, feat).game);
    }
  }
  for (Feat feat : kFeats) {
    std::vector<RecordEntry>& records = FeatOf(archive.records, feat);
    for (const RecordEntry& entry : records) {
      highest = std::max(highest, entry.game);
    }
    std::stable_sort(records.begin(), records.end(), RanksBefore);
    if (records.size() > kRecordsKept) {
      records.resize(kRecordsKept);
    }
  }
  archive.nextNumber = std::max(reading.next, highest + 1);
  return archive;
}

void AppendWeapons(std::string& out, const std::vector<WeaponKills>& weapons) {
  out += '|';
  for (size_t i = 0; i < weapons.size(); ++i) {
    if (i > 0) {
      out += ',';
    }
    AppendWideNumber(out, weapons[i].code);
    out += ':';
    AppendWideNumber(out, weapons[i].kills);
  }
}

void AppendGame(std::string& out, const GameRecord& game) {
  out += "GAM";
  AppendField(out, game.number);
  AppendField(out, game.runTime);
  AppendField(out, game.map);
  AppendField(out, game.length);
  if (game.scores) {
    AppendField(out, int64_t{game.scores->red});
    AppendField(out, int64_t{game.scores->blue});
  } else {
    out += "||";
  }
  if (game.firstBlood) {
    AppendField(out, game.firstBlood->time);
    AppendField(out, game.firstBlood->killer);
    AppendField(out, game.firstBlood->victim);
  } else {
    out += "|||";
  }
  AppendWeapons(out, game.weapons);
  out += '\n';
}

void AppendGamePlayer(std::string& out, int64_t number, const GamePlayer& p) {
  out += "GPL";
  AppendField(out, number);
  AppendField(out, p.name);
  AppendField(out, p.team);
  AppendField(out, p.kills);
  AppendField(out, p.deaths);
  AppendField(out, p.suicides);
  AppendField(out, p.teamKills);
  AppendField(out, p.score);
  AppendField(out, p.secondsPlayed);
  AppendField(out, p.ratingBefore);
  AppendField(out, p.ratingAfter);
  AppendField(out, p.bestSpree);
  AppendField(out, p.bestMultiKill);
  std::optional<int64_t> weapon;
  if (p.weapon) {
    weapon = *p.weapon;
  }
  AppendField(out, weapon);
  out += '\n';
}

void AppendBests(std::string& out, const std::string& name,
                 const PlayerBests& bests) {
  out += "BST";
  AppendField(out, name);
  for (Feat feat : kFeats) {
    const FeatFigure& best = FeatOf(bests, feat);
    if (best.value > 0) {
      AppendField(out, best.value);
      AppendField(out, best.game);
    } else {
      out += "||";
    }
  }
  out += '\n';
}

}  // namespace

std::string GamesStateText(const GameArchive& archive) {
  std::string out(kHeader);
  out += kVersion;
  out += "\nNEXT";
  AppendField(out, archive.nextNumber);
  out += '\n';
  for (const GameRecord& game : archive.games) {
    AppendGame(out, game);
    for (const GamePlayer& player : game.players) {
      AppendGamePlayer(out, game.number, player);
    }
  }
  for (const auto& [name, bests] : archive.bests) {
    AppendBests(out, name, bests);
  }
  for (Feat feat : kFeats) {
    for (const RecordEntry& entry : FeatOf(archive.records, feat)) {
      out += "REC";
      AppendField(out, FeatName(feat));
      AppendField(out, entry.value);
      AppendField(out, entry.game);
      AppendField(out, entry.name);
      out += '\n';
    }
  }
  return out;
}

bool ReadGamesState(std::string_view text, GameArchive& archive) {
  archive = GameArchive();
  Reading reading;
  if (!ReadStateLines(
          text, kHeader, kVersion,
          [&reading](std::string_view line) { ReadLine(line, reading); })) {
    return false;
  }
  archive = Finish(std::move(reading));
  return true;
}

}  // namespace kilnbook
