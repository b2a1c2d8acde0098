#include "log_generator.h"

#include <algorithm>
#include <cstdarg>
#include <cstring>

namespace kilnbook {
namespace {

constexpr int kWorldSlot = 1022;

// Means-of-death codes, weighted towards the common guns; 22 and 31 are not
// in the catalogue, as with codes of mods the catalogue does not know.
constexpr int kWeapons[] = {17, 17, 17, 18, 18, 18, 15, 16, 20, 21, 4,  5,
                            6,  7,  12, 14, 19, 3,  32, 34, 40, 41, 22, 31};
constexpr int kWorldWeapons[] = {22, 45, 46, 54, 0};
constexpr const char* kWeaponNames[64] = {"MOD_UNKNOWN",
                                          "MOD_SHOTGUN",
                                          "MOD_GAUNTLET",
                                          "MOD_MACHINEGUN",
                                          "MOD_GRENADE",
                                          "MOD_GRENADE_SPLASH",
                                          "MOD_ROCKET",
                                          "MOD_ROCKET_SPLASH",
                                          "",
                                          "",
                                          "",
                                          "",
                                          "MOD_KNIFE",
                                          "",
                                          "MOD_KNIFE_STEALTH",
                                          "MOD_LUGER",
                                          "MOD_COLT",
                                          "MOD_MP40",
                                          "MOD_THOMPSON",
                                          "MOD_STEN",
                                          "MOD_MAUSER",
                                          "MOD_SNIPERRIFLE",
                                          "MOD_FALLING",
                                          "",
                                          "",
                                          "",
                                          "",
                                          "",
                                          "",
                                          "",
                                          "",
                                          "MOD_SUICIDE",
                                          "MOD_VENOM",
                                          "",
                                          "MOD_FLAMETHROWER",
                                          "",
                                          "",
                                          "",
                                          "",
                                          "",
                                          "MOD_MORTAR",
                                          "MOD_MORTAR_SPLASH",
                                          "",
                                          "",
                                          "",
                                          "MOD_SLIME",
                                          "MOD_LAVA",
                                          "",
                                          "",
                                          "",
                                          "",
                                          "",
                                          "",
                                          "",
                                          "MOD_EXPLOSIVE"};
constexpr const char* kBaseNames[] = {
    "Sarge", "Ghost", "Panzer", "Medic",   "Rookie",  "Viper",  "Hawk",
    "Tommy", "Fritz", "Sniper", "Bazooka", "Colonel", "Smoke",  "Ranger",
    "Wolf",  "Eagle", "Bob",    "Ann",     "Eve",     "Kraut",  "Yankee",
    "Nomad", "Spike", "Doc",    "Major",   "Private", "Gunner", "Scout"};
constexpr const char* kModels[] = {"bluesoldier1",   "blueengineer1",
                                   "bluemedic1",     "redsoldier1",
                                   "redlieutenant1", "redmedic1"};
constexpr const char* kMaps[] = {"mp_beach", "mp_assault", "mp_depot",
                                 "mp_village", "mp_castle"};
constexpr const char* kChat[] = {"gg",        "medic!",        "lol",
                                 "nice shot", "rush the flag", "who has ammo?"};

template <typename T, size_t N>
constexpr size_t Count(const T (&)[N]) {
  return N;
}

// The name without colour codes, as the server prints it in kill messages.
std::string PlainOf(const std::string& name) {
  std::string plain;
  for (size_t i = 0; i < name.size(); ++i) {
    if (name[i] == '^' && i + 1 < name.size() && name[i + 1] >= '1' &&
        name[i + 1] <= '9') {
      ++i;
      continue;
    }
    plain += name[i];
  }
  return plain;
}

}  // namespace

LogGenerator::LogGenerator(const LogOptions& options)
    : options_(options), random_(options.seed) {
  if (options_.players > 64) {
    options_.players = 64;
  }
  if (options_.players < 2) {
    options_.players = 2;
  }
}

std::string LogGenerator::NewName() {
  std::string name;
  if (random_.Chance(60)) {
    name += '^';
    name += static_cast<char>('1' + random_.Below(9));
  }
  if (random_.Chance(15)) {
    name += "[WW2]";
  }
  name += kBaseNames[random_.Below(Count(kBaseNames))];
  if (random_.Chance(50)) {
    name += "^7";
  }
  if (random_.Chance(40)) {
    name += std::to_string(random_.Below(100));
  }
  if (random_.Chance(3)) {
    name += "&Co";
  }
  if (random_.Chance(2)) {
    name += "\xE9t\xE9";  // Latin-1 from a console or a bot
  }
  return name;
}

void LogGenerator::Line(const char* format, ...) {
  char time[16];
  std::snprintf(time, sizeof(time), "%3d:%02d ", (seconds_ / 60) % 1000,
                seconds_ % 60);
  buffer_ += time;
  char line[512];
  va_list args;
  va_start(args, format);
  int length = std::vsnprintf(line, sizeof(line), format, args);
  va_end(args);
  if (length > 0) {
    buffer_.append(line, std::min<size_t>(length, sizeof(line) - 1));
  }
  buffer_ += '\n';
  if (buffer_.size() >= (1 << 16)) {
    Flush();
  }
}

void LogGenerator::Flush() {
  if (out_ != nullptr) {
    if (std::fwrite(buffer_.data(), 1, buffer_.size(), out_) !=
        buffer_.size()) {
      failed_ = true;
    }
  } else if (text_ != nullptr) {
    *text_ += buffer_;
  }
  written_ += buffer_.size();
  buffer_.clear();
}

void LogGenerator::Userinfo(int slot) {
  Client& c = clients_[slot];
  const char* model = kModels[c.model];
  // The part of the model before "/" names the team: a kill between two
  // players of the same team is a team kill.
  const char* team = c.team == 1 ? "multi_axis" : "multi";
  Line(
      "ClientUserinfoChanged: %d n\\%s\\t\\%d\\model\\%s/%s\\head\\%s"
      "\\c1\\%d\\hc\\100\\w\\0\\l\\0",
      slot, c.name.c_str(), c.team, team, model, model, c.team);
}

void LogGenerator::Connect(int slot) {
  Client& c = clients_[slot];
  // Newcomers come from a pool twice the size of the server: the number of
  // players (and so the memory a run needs) does not grow with the log.
  if (c.name.empty() || random_.Chance(20)) {
    c.name = pool_[random_.Below(static_cast<uint32_t>(pool_.size()))];
    c.plain = PlainOf(c.name);
  }
  c.team = 1 + static_cast<int>(random_.Below(2));
  c.model = static_cast<int>(random_.Below(Count(kModels)));
  c.score = 0;
  Line("ClientConnect: %d", slot);
  Userinfo(slot);
  Line("ClientBegin: %d", slot);
}

void LogGenerator::KillLine() {
  int players = options_.players;
  int victim = static_cast<int>(random_.Below(players));
  uint32_t roll = random_.Below(100);
  if (roll < 4) {  // the world: falls, lava, slime
    int code = kWorldWeapons[random_.Below(Count(kWorldWeapons))];
    Line("Kill: %d %d %d: <world> killed %s by %s", kWorldSlot, victim, code,
         clients_[victim].plain.c_str(), kWeaponNames[code]);
    return;
  }
  if (roll < 7) {  // suicide
    Line("Kill: %d %d %d: %s killed %s by %s", victim, victim, 31,
         clients_[victim].plain.c_str(), clients_[victim].plain.c_str(),
         "MOD_SUICIDE");
    --clients_[victim].score;
    return;
  }
  // Mostly the other team; a few tries keep it cheap when teams are lopsided.
  bool teamKill = roll < 10;
  int killer = victim;
  for (int attempt = 0; attempt < 8; ++attempt) {
    killer = static_cast<int>(random_.Below(players));
    if (killer != victim &&
        (clients_[killer].team == clients_[victim].team) == teamKill) {
      break;
    }
  }
  if (killer == victim) {
    killer = (killer + 1) % players;
  }
  int code = kWeapons[random_.Below(Count(kWeapons))];
  Line("Kill: %d %d %d: %s killed %s by %s", killer, victim, code,
       clients_[killer].plain.c_str(), clients_[victim].plain.c_str(),
       kWeaponNames[code]);
  clients_[killer].score += teamKill ? -1 : 1;
}

void LogGenerator::EndOfGame() {
  Line("Exit: Timelimit hit.");
  int red = static_cast<int>(random_.Below(10));
  int blue = static_cast<int>(random_.Below(10));
  Line("red:%d  blue:%d", red, blue);
  for (int slot = 0; slot < options_.players; ++slot) {
    Line("score: %d  ping: %d  client: %d %s", clients_[slot].score,
         static_cast<int>(20 + random_.Below(180)), slot,
         clients_[slot].name.c_str());
  }
  Line("ShutdownGame:");
}

void LogGenerator::Game(bool finished) {
  seconds_ = 0;
  Line("------------------------------------------------------------");
  Line(
      "InitGame: \\sv_hostname\\^1Bench^7 Server\\g_gametype\\5"
      "\\mapname\\%s\\sv_maxclients\\64\\protocol\\60",
      kMaps[random_.Below(Count(kMaps))]);
  for (int slot = 0; slot < options_.players; ++slot) {
    Connect(slot);
  }
  int kills = options_.killsPerGame;
  if (!finished) {
    kills /= 3;
  }
  for (int i = 0; i < kills; ++i) {
    if (random_.Chance(50)) {
      ++seconds_;
    }
    KillLine();
    uint32_t roll = random_.Below(100);
    if (roll < 10) {
      Line("Item: %d weapon_mp40",
           static_cast<int>(random_.Below(64)) % options_.players);
    } else if (roll < 13) {
      int slot = static_cast<int>(random_.Below(options_.players));
      Line("say: %s: %s", clients_[slot].plain.c_str(),
           kChat[random_.Below(Count(kChat))]);
    } else if (roll < 15) {  // team switch
      int slot = static_cast<int>(random_.Below(options_.players));
      clients_[slot].team = 3 - clients_[slot].team;
      Userinfo(slot);
    } else if (roll == 15) {  // someone leaves, a newcomer takes the slot
      int slot = static_cast<int>(random_.Below(options_.players));
      Line("ClientDisconnect: %d", slot);
      Connect(slot);
    }
  }
  if (finished) {
    EndOfGame();
    Line("------------------------------------------------------------");
    ++gamesWritten_;
  }
}

void LogGenerator::Generate() {
  random_ = Random(options_.seed);
  pool_.clear();
  for (int i = 0; i < 2 * options_.players; ++i) {
    pool_.push_back(NewName());
  }
  clients_.assign(options_.players, Client());
  written_ = 0;
  failed_ = false;
  gamesWritten_ = 0;
  while (!failed_ && written_ + buffer_.size() < options_.targetBytes) {
    Game(true);
  }
  if (options_.unfinishedTail) {
    Game(false);
  }
  Flush();
}

bool LogGenerator::Write(FILE* out) {
  out_ = out;
  text_ = nullptr;
  Generate();
  out_ = nullptr;
  return !failed_;
}

std::string LogGenerator::Text() {
  std::string text;
  out_ = nullptr;
  text_ = &text;
  Generate();
  text_ = nullptr;
  return text;
}

std::vector<std::string_view> NonEmptyLines(std::string_view text) {
  std::vector<std::string_view> lines;
  size_t start = 0;
  while (start < text.size()) {
    size_t end = text.find('\n', start);
    if (end == std::string_view::npos) {
      end = text.size();
    }
    if (end > start) {
      lines.push_back(text.substr(start, end - start));
    }
    start = end + 1;
  }
  return lines;
}

}  // namespace kilnbook
