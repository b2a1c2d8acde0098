// What the extended statistics keep of each finished game of a server, and
// the players' bests and the server's records made of those games.
#ifndef KILNBOOK_EXTRA_GAME_RECORDS_H_
#define KILNBOOK_EXTRA_GAME_RECORDS_H_

#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace kilnbook {

// The most log time between two kills of one multi-kill.
inline constexpr int64_t kMultiKillSeconds = 3;

// One player's line of a game: a player with a userinfo line in the game,
// by key name. Kills, deaths, suicides and team kills are booked as the
// player's counters book them: kills of other players, team kills and kills
// of the world included; deaths by other players or the world; suicides
// apart. An enemy kill is a kill of a player of another team, neither of
// them the world.
struct GamePlayer {
  std::string name;  // key name
  std::string team;  // team identifier of the player's last userinfo line
  int64_t kills = 0;
  int64_t deaths = 0;
  int64_t suicides = 0;
  int64_t teamKills = 0;
  std::optional<int64_t> score;  // the game's "score:" lines of the player
  int64_t secondsPlayed = 0;
  int64_t ratingBefore = 0;  // thousandths of a point, before its first event
  int64_t ratingAfter = 0;   // and at the end of the game
  // Most enemy kills since a death of any kind, in this game.
  int64_t bestSpree = 0;
  // Longest chain of enemy kills, each at most kMultiKillSeconds of log time
  // after the one before.
  int64_t bestMultiKill = 0;
  // The means of death of most of the player's kills (the lowest code on a
  // tie); nothing without kills.
  std::optional<int32_t> weapon;
};

// The game's first enemy kill.
struct FirstBlood {
  std::string killer;  // key names
  std::string victim;
  int64_t time = 0;  // seconds after the game's first line
};

// The final "red:" line of a game: red is Axis, blue Allies.
struct TeamScores {
  int32_t red = 0;
  int32_t blue = 0;
};

// Kill lines of a game with one means of death.
struct WeaponKills {
  int32_t code = 0;
  int64_t kills = 0;
};

struct GameRecord {
  int64_t number = 0;   // 1, 2, 3, ... per server, never reused
  int64_t runTime = 0;  // seconds since the epoch of the run that took it
  std::string map;      // the InitGame line's map name; empty when unknown
  // Seconds from the first to the last line of the game that has a time
  // column; 0 when the clock went backwards.
  int64_t length = 0;
  std::optional<TeamScores> scores;  // nothing without a "red:" line
  std::optional<FirstBlood> firstBlood;
  std::vector<WeaponKills> weapons;  // every kill line of the game, by code
  std::vector<GamePlayer> players;   // by key name in byte order
};

// The feats that players' bests and the server's records keep.
enum class Feat { kKills, kSpree, kMultiKill };
inline constexpr Feat kFeats[] = {Feat::kKills, Feat::kSpree, Feat::kMultiKill};

// A figure and the game it was made in; a value of 0 is no figure at all.
struct FeatFigure {
  int64_t value = 0;
  int64_t game = 0;
};

// A player's best figure of each feat, each from the earliest game that
// made it.
struct PlayerBests {
  FeatFigure kills;      // most kills in a game
  FeatFigure spree;      // longest spree
  FeatFigure multiKill;  // biggest multi-kill
};

// One of a server's best figures of a feat.
struct RecordEntry {
  int64_t value = 0;
  int64_t game = 0;
  std::string name;  // key name
};

// The kRecordsKept best figures of each feat over every game of the server,
// best first; equal figures in game order (the earlier game first), then by
// key name. A player may hold several places.
struct ServerRecords {
  std::vector<RecordEntry> kills;
  std::vector<RecordEntry> sprees;
  std::vector<RecordEntry> multiKills;
};

inline constexpr size_t kRecordsKept = 10;

// What a server keeps of its games from run to run.
struct GameArchive {
  int64_t nextNumber = 1;        // above every number ever given
  std::deque<GameRecord> games;  // the kept games, oldest first
  std::map<std::string, PlayerBests, std::less<>> bests;  // by key name
  ServerRecords records;
};

// The figure of `feat` that a game's line, a player's bests or a server's
// records hold.
int64_t FeatValue(const GamePlayer& player, Feat feat);
FeatFigure& FeatOf(PlayerBests& bests, Feat feat);
const FeatFigure& FeatOf(const PlayerBests& bests, Feat feat);
std::vector<RecordEntry>& FeatOf(ServerRecords& records, Feat feat);
const std::vector<RecordEntry>& FeatOf(const ServerRecords& records, Feat feat);

// True when `a` ranks before `b` among the records of one feat.
bool RanksBefore(const RecordEntry& a, const RecordEntry& b);

enum class GameWinner { kNone, kAxis, kAllies, kDraw };

// Who won `game` by its "red:" line: the side with the higher score, kDraw
// for equal scores, kNone without a "red:" line.
GameWinner WinnerOf(const GameRecord& game);

// The game `number` of `games` (numbers ascending), or null when there is
// none.
const GameRecord* FindGameRecord(const std::deque<GameRecord>& games,
                                 int64_t number);
GameRecord* FindGameRecord(std::deque<GameRecord>& games, int64_t number);

// The line of `name` in `game`, or null when the name did not play in it.
const GamePlayer* FindGamePlayer(const GameRecord& game, std::string_view name);

}  // namespace kilnbook

#endif  // KILNBOOK_EXTRA_GAME_RECORDS_H_
