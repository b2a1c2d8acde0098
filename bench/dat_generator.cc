#include "dat_generator.h"

#include <map>
#include <vector>

#include "log/number_text.h"
#include "log/text_clean.h"
#include "random.h"

namespace kilnbook {
namespace {

constexpr int kCodes[] = {0,  3,  4,  5,  6,  7,  12, 14, 15, 16, 17, 18,
                          19, 20, 21, 22, 31, 32, 34, 40, 41, 45, 46, 54};
constexpr const char* kSyllables[] = {"ka", "zu", "mo", "ri", "ta", "ne",
                                      "vo", "li", "sa", "gr", "ph", "ex"};
constexpr const char* kModels[] = {"bluesoldier1",   "blueengineer1",
                                   "bluemedic1",     "redsoldier1",
                                   "redlieutenant1", "redmedic1"};

struct Record {
  std::string name;
  std::string plain;
  std::string html;
};

// A unique name: syllables from the index, colour codes around them.
std::string RawName(Random& random, int index) {
  std::string name;
  if (random.Chance(60)) {
    name += '^';
    name += static_cast<char>('1' + random.Below(9));
  }
  int value = index;
  do {
    name += kSyllables[value % 12];
    value /= 12;
  } while (value > 0);
  if (random.Chance(50)) {
    name += "^7";
  }
  if (random.Chance(3)) {
    name += "&co";
  }
  return name;
}

using TextTally = std::map<std::string, int32_t>;
using NumberTally = std::map<int32_t, int32_t>;

void AppendTally(std::string& out, const TextTally& tally) {
  for (const auto& [key, count] : tally) {
    out += key;
    out += '\x60';
    AppendNumber(out, count);
    out += '\xB4';
  }
}

void AppendTally(std::string& out, const NumberTally& tally) {
  for (const auto& [key, count] : tally) {
    AppendNumber(out, key);
    out += '\x60';
    AppendNumber(out, count);
    out += '\xB4';
  }
}

void AppendField(std::string& out, const char* tag, int32_t value) {
  out += tag;
  out += '|';
  AppendNumber(out, value);
  out += '*';
}

// Opponents met: most players came a few times, a few are regulars.
int Opponents(Random& random) {
  uint32_t roll = random.Below(1000);
  if (roll < 700) {
    return 1 + static_cast<int>(random.Below(8));
  }
  if (roll < 980) {
    return 8 + static_cast<int>(random.Below(40));
  }
  return 50 + static_cast<int>(random.Below(400));
}

std::string PlayerLine(Random& random, const Record& record,
                       const std::vector<Record>& all) {
  TextTally targets, killers, teamKillVictims, teams, models;
  NumberTally killWeapons, deathWeapons, suicideWeapons;
  int32_t kills = 0, deaths = 0, suicides = 0, teamKills = 0;
  int opponents = Opponents(random);
  for (int i = 0; i < opponents; ++i) {
    const std::string& other = all[random.Below(all.size())].plain;
    if (other == record.plain) {
      continue;
    }
    int32_t k = static_cast<int32_t>(random.Below(30));
    int32_t d = static_cast<int32_t>(random.Below(30));
    targets[other] += k;
    killers[other] += d;
    kills += k;
    deaths += d;
    killWeapons[kCodes[random.Below(24)]] += k;
    deathWeapons[kCodes[random.Below(24)]] += d;
    if (random.Chance(5)) {
      teamKillVictims[other] += 1;
      ++teamKills;
    }
  }
  if (random.Chance(30)) {
    suicides = static_cast<int32_t>(1 + random.Below(20));
    suicideWeapons[random.Chance(50) ? 31 : 22] = suicides;
  }
  int games = 1 + opponents / 4;
  teams["1"] = games;
  if (random.Chance(60)) {
    teams["2"] = 1 + static_cast<int32_t>(random.Below(games));
  }
  models[kModels[random.Below(6)]] = games;

  std::string line = "PLR|N1|" + record.name + "*Z|" + record.plain + "*Y|" +
                     record.html + "*";
  AppendField(line, "A", static_cast<int32_t>(20 + random.Below(200)));
  AppendField(line, "B", kills - teamKills - suicides);
  AppendField(line, "C", kills);
  AppendField(line, "D", deaths);
  AppendField(line, "E", suicides);
  AppendField(line, "F", teamKills);
  const TextTally* textTallies[] = {&targets, &killers, &teamKillVictims};
  const char* textTags[] = {"G|", "H|", "I|"};
  for (int i = 0; i < 3; ++i) {
    line += textTags[i];
    AppendTally(line, *textTallies[i]);
    line += '*';
  }
  const NumberTally* numberTallies[] = {&killWeapons, &deathWeapons,
                                        &suicideWeapons};
  const char* numberTags[] = {"J|", "K|", "L|"};
  for (int i = 0; i < 3; ++i) {
    line += numberTags[i];
    AppendTally(line, *numberTallies[i]);
    line += '*';
  }
  line += "M|";
  AppendTally(line, teams);
  line += "*N|";
  AppendTally(line, models);
  line += "*\n";
  return line;
}

}  // namespace

std::string DatText(const DatOptions& options) {
  Random random(options.seed);
  std::map<std::string, Record> byName;  // byte-wise order, as written
  for (int i = 0; byName.size() < static_cast<size_t>(options.players); ++i) {
    Record record;
    record.name = CleanText(RawName(random, i));
    record.plain = ColorizeName(record.name, NameMode::kPlain);
    record.html = ColorizeName(record.name, NameMode::kMarkup);
    byName.emplace(record.name, record);
  }
  std::vector<Record> all;
  all.reserve(byName.size());
  for (const auto& entry : byName) {
    all.push_back(entry.second);
  }
  std::string text = "SRV|N1|" + options.serverName + "*";
  const char* tags[] = {"A", "B", "C", "D", "E", "F", "G", "H", "I", "J", "K"};
  for (const char* tag : tags) {
    AppendField(text, tag, static_cast<int32_t>(random.Below(100000)));
  }
  text += '\n';
  for (const Record& record : all) {
    text += PlayerLine(random, record, all);
  }
  text += '\n';
  return text;
}

}  // namespace kilnbook
