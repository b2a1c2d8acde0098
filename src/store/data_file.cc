// The statistics data file of one server, kilnbook.dat.
//
// One record per line, each line ended by a single line feed:
//
//   file      := srv-record "\n" { plr-record "\n" } "\n"
//   srv       := "SRV|" "N1|" server-name "*" counters
//   counters  := "A|" REDSCORE "*" "B|" BLUESCORE "*" "C|" CLIENTCONNECT "*"
//                "D|" GAMESHUTDOWN "*" "E|" GAMEEXIT "*" "F|" GAMEINIT "*"
//                "G|" KILLS "*" "H|" TEAMKILLS "*" "I|" PING "*"
//                "J|" REDWIN "*" "K|" BLUEWIN "*"
//   plr       := "PLR|" "N1|" name "*" "Z|" plainName "*" "Y|" htmlName "*"
//                "A|" ping "*" "B|" score "*" "C|" kills "*" "D|" deaths "*"
//                "E|" suicides "*" "F|" teamKills "*"
//                "G|" targets "*" "H|" killers "*" "I|" teamKillVictims "*"
//                "J|" killWeapons "*" "K|" deathWeapons "*"
//                "L|" suicideWeapons "*" "M|" teams "*" "N|" models "*"
//   tally     := { key 0x60 count 0xB4 }      (ascending key order)
//
// Numbers are "%d"; numeric tally keys too. Players come in byte-wise name
// order. Text is stored as it is, without escaping, so it must not hold "*",
// "|", 0x60, 0xB4 or a line feed: names and configuration values are cleaned
// of them where they enter the system; team and model identifiers are not,
// so the writer drops those bytes (merging the counts of keys that then
// coincide) rather than write a record that reads back differently.
//
// Reading finds every field by its tag anywhere in the line, so the order of
// fields and of lines does not matter; a later line overrides an earlier one.
#include "store/data_file.h"

#include <utility>

#include "log/number_text.h"
#include "model/server.h"

namespace kilnbook {

namespace {

constexpr char kCountMark = '\x60';
constexpr char kEntryEnd = '\xB4';
constexpr std::string_view kForbidden("*|\x60\xB4\n", 5);

bool IsClean(std::string_view text) {
  return text.find_first_of(kForbidden) == std::string_view::npos;
}

void AppendText(std::string& out, std::string_view text) {
  if (IsClean(text)) {
    out.append(text);
    return;
  }
  for (char c : text) {
    if (kForbidden.find(c) == std::string_view::npos) {
      out.push_back(c);
    }
  }
}

std::string CleanKey(std::string_view text) {
  std::string key;
  AppendText(key, text);
  return key;
}

void AppendTextField(std::string& out, std::string_view tag,
                     std::string_view text) {
  out.append(tag);
  out.push_back('|');
  AppendText(out, text);
  out.push_back('*');
}

void AppendNumberField(std::string& out, std::string_view tag, int32_t value) {
  out.append(tag);
  out.push_back('|');
  AppendNumber(out, value);
  out.push_back('*');
}

void AppendEntry(std::string& out, int32_t count) {
  out.push_back(kCountMark);
  AppendNumber(out, count);
  out.push_back(kEntryEnd);
}

// Calls `store`(key text, count text) for each complete entry of a tally.
template <typename Store>
void ForEachEntry(std::string_view text, Store store) {
  size_t position = 0;
  while (true) {
    size_t mark = text.find(kCountMark, position);
    if (mark == std::string_view::npos) {
      return;
    }
    size_t end = text.find(kEntryEnd, mark + 1);
    if (end == std::string_view::npos) {
      return;
    }
    store(text.substr(position, mark - position),
          text.substr(mark + 1, end - mark - 1));
    position = end + 1;
  }
}

int32_t NumberField(std::string_view line, std::string_view tag) {
  std::optional<std::string_view> field = FindField(line, tag);
  return field ? ParseNumber(*field) : 0;
}

void ReadNumber(std::string_view line, std::string_view tag, int32_t& value) {
  if (std::optional<std::string_view> field = FindField(line, tag)) {
    value = ParseNumber(*field);
  }
}

void ReadText(std::string_view line, std::string_view tag, std::string& value) {
  if (std::optional<std::string_view> field = FindField(line, tag)) {
    value.assign(*field);
  }
}

void ReadTally(std::string_view line, std::string_view tag, NameTally& value) {
  if (std::optional<std::string_view> field = FindField(line, tag)) {
    value = ParseNameTally(*field);
  }
}

void ReadTally(std::string_view line, std::string_view tag, CodeTally& value) {
  if (std::optional<std::string_view> field = FindField(line, tag)) {
    value = ParseCodeTally(*field);
  }
}

void AppendServerFields(std::string& out, const ServerCounters& counters) {
  AppendNumberField(out, "A", counters.REDSCORE);
  AppendNumberField(out, "B", counters.BLUESCORE);
  AppendNumberField(out, "C", counters.CLIENTCONNECT);
  AppendNumberField(out, "D", counters.GAMESHUTDOWN);
  AppendNumberField(out, "E", counters.GAMEEXIT);
  AppendNumberField(out, "F", counters.GAMEINIT);
  AppendNumberField(out, "G", counters.KILLS);
  AppendNumberField(out, "H", counters.TEAMKILLS);
  AppendNumberField(out, "I", counters.PING);
  AppendNumberField(out, "J", counters.REDWIN);
  AppendNumberField(out, "K", counters.BLUEWIN);
}

}  // namespace

std::optional<std::string_view> FindField(std::string_view line,
                                          std::string_view tag) {
  size_t from = 0;
  while (true) {
    size_t at = line.find(tag, from);
    if (at == std::string_view::npos) {
      return std::nullopt;
    }
    size_t bar = at + tag.size();
    if (bar < line.size() && line[bar] == '|') {
      size_t star = line.find('*', bar + 1);
      if (star == std::string_view::npos) {
        return std::nullopt;
      }
      return line.substr(bar + 1, star - bar - 1);
    }
    from = at + 1;
  }
}

NameTally ParseNameTally(std::string_view text) {
  NameTally tally;
  ForEachEntry(text, [&tally](std::string_view key, std::string_view count) {
    tally.insert_or_assign(std::string(key), ParseNumber(count));
  });
  return tally;
}

CodeTally ParseCodeTally(std::string_view text) {
  CodeTally tally;
  ForEachEntry(text, [&tally](std::string_view key, std::string_view count) {
    tally.insert_or_assign(ParseNumber(key), ParseNumber(count));
  });
  return tally;
}

void AppendNameTally(std::string& out, const NameTally& tally) {
  bool clean = true;
  for (const auto& [key, count] : tally) {
    if (!IsClean(key)) {
      clean = false;
      break;
    }
  }
  if (clean) {
    for (const auto* entry : SortedEntries(tally)) {
      const auto& [key, count] = *entry;
      out.append(key);
      AppendEntry(out, count);
    }
    return;
  }
  NameTally cleaned;
  for (const auto& [key, count] : tally) {
    int32_t& merged = cleaned[CleanKey(key)];
    merged = WrapAdd(merged, count);
  }
  AppendNameTally(out, cleaned);
}

void AppendCodeTally(std::string& out, const CodeTally& tally) {
  for (const auto* entry : SortedEntries(tally)) {
    const auto& [code, count] = *entry;
    AppendNumber(out, code);
    AppendEntry(out, count);
  }
}

void AppendPlayerRecord(std::string& out, const Player& player) {
  const PlayerStats& stats = player.stats();
  out.append("PLR|");
  AppendTextField(out, "N1", player.name());
  AppendTextField(out, "Z", stats.plainName);
  AppendTextField(out, "Y", stats.htmlName);
  AppendNumberField(out, "A", stats.ping);
  AppendNumberField(out, "B", stats.score);
  AppendNumberField(out, "C", stats.kills);
  AppendNumberField(out, "D", stats.deaths);
  AppendNumberField(out, "E", stats.suicides);
  AppendNumberField(out, "F", stats.teamKills);
  const std::pair<const char*, const NameTally*> nameTallies[] = {
      {"G|", &stats.targets},
      {"H|", &stats.killers},
      {"I|", &stats.teamKillVictims}};
  for (const auto& [tag, tally] : nameTallies) {
    out.append(tag);
    AppendNameTally(out, *tally);
    out.push_back('*');
  }
  const std::pair<const char*, const CodeTally*> codeTallies[] = {
      {"J|", &stats.killWeapons},
      {"K|", &stats.deathWeapons},
      {"L|", &stats.suicideWeapons}};
  for (const auto& [tag, tally] : codeTallies) {
    out.append(tag);
    AppendCodeTally(out, *tally);
    out.push_back('*');
  }
  out.append("M|");
  AppendNameTally(out, stats.teams);
  out.append("*N|");
  AppendNameTally(out, stats.models);
  out.append("*\n");
}

void LoadServerRecord(ServerList& servers, std::string_view name,
                      std::string_view line) {
  Server* server = servers.FindReported(name);
  if (server == nullptr) {
    return;
  }
  ServerCounters counters;
  counters.REDSCORE = NumberField(line, "A");
  counters.BLUESCORE = NumberField(line, "B");
  counters.CLIENTCONNECT = NumberField(line, "C");
  counters.GAMESHUTDOWN = NumberField(line, "D");
  counters.GAMEEXIT = NumberField(line, "E");
  counters.GAMEINIT = NumberField(line, "F");
  counters.KILLS = NumberField(line, "G");
  counters.TEAMKILLS = NumberField(line, "H");
  counters.PING = NumberField(line, "I");
  counters.REDWIN = NumberField(line, "J");
  counters.BLUEWIN = NumberField(line, "K");
  server->RestoreCounters(counters);
}

void LoadPlayerRecord(ServerList& servers, std::string_view name,
                      std::string_view line) {
  Server* server = servers.FindReported(name);
  if (server == nullptr) {
    return;
  }
  size_t tagAt = line.find("N1|");
  size_t star = line.find('*');
  if (tagAt == std::string_view::npos || star == std::string_view::npos) {
    return;
  }
  size_t start = tagAt + 3;
  // A "*" before the name tag leaves the name empty. The key drops the bytes
  // the writer drops, so a damaged name is stored under the name it will be
  // saved as and the players stay in the order they are written in.
  std::string playerName =
      star > start ? CleanKey(line.substr(start, star - start)) : "";

  PlayerStats stats;
  ReadText(line, "Z", stats.plainName);
  ReadText(line, "Y", stats.htmlName);
  ReadNumber(line, "A", stats.ping);
  ReadNumber(line, "B", stats.score);
  ReadNumber(line, "C", stats.kills);
  ReadNumber(line, "D", stats.deaths);
  ReadNumber(line, "E", stats.suicides);
  ReadNumber(line, "F", stats.teamKills);
  ReadTally(line, "G", stats.targets);
  ReadTally(line, "H", stats.killers);
  ReadTally(line, "I", stats.teamKillVictims);
  ReadTally(line, "J", stats.killWeapons);
  ReadTally(line, "K", stats.deathWeapons);
  ReadTally(line, "L", stats.suicideWeapons);
  ReadTally(line, "M", stats.teams);
  ReadTally(line, "N", stats.models);
  server->playerTable().ReplacePlayer(playerName).Restore(std::move(stats));
}

std::string ServerRecord(const ServerList& servers, std::string_view name) {
  const Server* server = servers.FindReported(name);
  if (server == nullptr) {
    return "";
  }
  const PlayerMap& players = server->playerTable().players();
  std::string text;
  text.reserve(128 + players.size() * 256);
  text.append("SRV|");
  AppendTextField(text, "N1", name);
  AppendServerFields(text, server->counters());
  text.push_back('\n');
  for (const auto& entry : players) {
    AppendPlayerRecord(text, *entry.second);
  }
  text.push_back('\n');
  return text;
}

}  // namespace kilnbook
