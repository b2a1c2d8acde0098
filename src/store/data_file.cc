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

#include <algorithm>
#include <array>
#include <charconv>
#include <cstdint>
#include <cstring>
#include <map>
#include <utility>

#include "log/number_text.h"
#include "model/server.h"

namespace kilnbook {

namespace {

constexpr char kCountMark = '\x60';
constexpr char kEntryEnd = '\xB4';

// The bytes a stored text must not hold: "*", "|", 0x60, 0xB4, line feed.
constexpr std::array<bool, 256> kForbidden = [] {
  std::array<bool, 256> forbidden{};
  for (unsigned char c : {'*', '|', '\x60', '\xB4', '\n'}) {
    forbidden[c] = true;
  }
  return forbidden;
}();

bool IsForbidden(char c) { return kForbidden[static_cast<unsigned char>(c)]; }

// One table lookup per byte: the writer checks every tally key.
bool IsClean(std::string_view text) {
  bool forbidden = false;
  for (char c : text) {
    forbidden |= IsForbidden(c);
  }
  return !forbidden;
}

void AppendText(std::string& out, std::string_view text) {
  if (IsClean(text)) {
    out.append(text);
    return;
  }
  for (char c : text) {
    if (!IsForbidden(c)) {
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

// The count of an entry with its two separators, in one append: a data
// file holds millions of them.
void AppendEntry(std::string& out, int32_t count) {
  char entry[16];
  entry[0] = kCountMark;
  char* end = std::to_chars(entry + 1, entry + sizeof entry - 1, count).ptr;
  *end++ = kEntryEnd;
  out.append(entry, static_cast<size_t>(end - entry));
}

// The number of entries of a tally text, or a few more: its entry ends.
// Counted eight bytes at a time, as the texts are long and the compiler
// does not vectorise the plain loop.
size_t EntryCountBound(std::string_view text) {
  constexpr uint64_t kOnes = 0x0101010101010101ull;
  constexpr uint64_t kHighBits = 0x8080808080808080ull;
  const uint64_t pattern = kOnes * static_cast<unsigned char>(kEntryEnd);
  size_t count = 0;
  size_t i = 0;
  for (; i + 8 <= text.size(); i += 8) {
    uint64_t word;
    std::memcpy(&word, text.data() + i, sizeof word);
    uint64_t zeroWhereEqual = word ^ pattern;
    // The high bit of each byte that is not zero (no carry crosses bytes).
    uint64_t nonZero =
        ((zeroWhereEqual & ~kHighBits) + ~kHighBits) | zeroWhereEqual;
    // One per equal byte, summed into the top byte by the multiplication.
    count += static_cast<size_t>((((~nonZero & kHighBits) >> 7) * kOnes) >> 56);
  }
  for (; i < text.size(); ++i) {
    count += text[i] == kEntryEnd ? 1 : 0;
  }
  return count;
}

// Calls `store`(key text, count text) for each complete entry of a tally.
// Keys and counts are a few bytes long: the separators are found with a
// plain loop rather than a call of memchr each.
template <typename Store>
void ForEachEntry(std::string_view text, Store store) {
  const char* position = text.data();
  const char* end = text.data() + text.size();
  while (true) {
    const char* mark = position;
    while (mark != end && *mark != kCountMark) {
      ++mark;
    }
    if (mark == end) {
      return;
    }
    const char* close = mark + 1;
    while (close != end && *close != kEntryEnd) {
      ++close;
    }
    if (close == end) {
      return;
    }
    store(std::string_view(position, static_cast<size_t>(mark - position)),
          std::string_view(mark + 1, static_cast<size_t>(close - mark - 1)));
    position = close + 1;
  }
}

// The fields of one line by single-byte tag. The first "X|" of a tag X is
// the first "|" that follows an X, so one pass over the bars of the line
// finds every tag where FindField would find it, instead of one scan of the
// line per tag.
class LineFields {
 public:
  explicit LineFields(std::string_view line) : line_(line) {
    firstBar_.fill(std::string_view::npos);
    for (size_t bar = line.find('|', 1); bar != std::string_view::npos;
         bar = line.find('|', bar + 1)) {
      size_t& first = firstBar_[static_cast<unsigned char>(line[bar - 1])];
      if (first == std::string_view::npos) {
        first = bar;
      }
    }
  }

  // What FindField(line, tag) gives for the one-byte `tag`.
  std::optional<std::string_view> Find(char tag) const {
    size_t bar = firstBar_[static_cast<unsigned char>(tag)];
    if (bar == std::string_view::npos) {
      return std::nullopt;
    }
    size_t star = line_.find('*', bar + 1);
    if (star == std::string_view::npos) {
      return std::nullopt;
    }
    return line_.substr(bar + 1, star - bar - 1);
  }

  int32_t Number(char tag) const {
    std::optional<std::string_view> field = Find(tag);
    return field ? ParseNumber(*field) : 0;
  }

  void Read(char tag, int32_t& value) const {
    if (std::optional<std::string_view> field = Find(tag)) {
      value = ParseNumber(*field);
    }
  }

  void Read(char tag, std::string& value) const {
    if (std::optional<std::string_view> field = Find(tag)) {
      value.assign(*field);
    }
  }

  void Read(char tag, NameTally& value, NamePool& names) const {
    if (std::optional<std::string_view> field = Find(tag)) {
      value = ParseNameTally(*field, names);
    }
  }

  void Read(char tag, CodeTally& value) const {
    if (std::optional<std::string_view> field = Find(tag)) {
      value = ParseCodeTally(*field);
    }
  }

 private:
  std::string_view line_;
  std::array<size_t, 256> firstBar_;
};

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

// About the size of the whole file text, from the sizes of the names and
// tallies alone: growing a text of tens of megabytes step by step copies it
// several times and touches twice the memory.
size_t RecordSizeEstimate(const PlayerMap& players) {
  // Tags, separators and numbers of a record; a tally entry's count and
  // separators; a name key's usual length.
  constexpr size_t kRecordFixed = 96;
  constexpr size_t kCodeEntry = 8;
  constexpr size_t kNameEntry = 8 + 12;
  size_t size = 256;
  for (const auto& [name, player] : players) {
    const PlayerStats& stats = player->stats();
    size += kRecordFixed + name.size() + stats.plainName.size() +
            stats.htmlName.size();
    size += kCodeEntry * (stats.killWeapons.size() + stats.deathWeapons.size() +
                          stats.suicideWeapons.size());
    size += kNameEntry * (stats.targets.size() + stats.killers.size() +
                          stats.teamKillVictims.size() + stats.teams.size() +
                          stats.models.size());
  }
  return size;
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

NameTally ParseNameTally(std::string_view text, NamePool& names) {
  NameTally tally(names);
  tally.Reserve(EntryCountBound(text));
  ForEachEntry(text, [&](std::string_view key, std::string_view count) {
    // Written in key order, so the entry almost always goes at the end.
    tally.Set(names.Intern(key), ParseNumber(count));
  });
  return tally;
}

CodeTally ParseCodeTally(std::string_view text) {
  CodeTally tally;
  tally.Reserve(EntryCountBound(text));
  ForEachEntry(text, [&tally](std::string_view key, std::string_view count) {
    tally.Set(ParseNumber(key), ParseNumber(count));
  });
  return tally;
}

void AppendNameTally(std::string& out, const NameTally& tally) {
  size_t start = out.size();
  bool clean = true;
  for (const auto& [key, count] : tally) {
    clean = clean && IsClean(key);
    out.append(key);
    AppendEntry(out, count);
  }
  if (clean) {
    return;
  }
  // Keys that lose their forbidden bytes may coincide: their counts merge,
  // and the cleaned keys are written in their own order.
  out.resize(start);
  std::map<std::string, int32_t> cleaned;
  for (const auto& [key, count] : tally) {
    int32_t& merged = cleaned[CleanKey(key)];
    merged = WrapAdd(merged, count);
  }
  for (const auto& [key, count] : cleaned) {
    out.append(key);
    AppendEntry(out, count);
  }
}

void AppendCodeTally(std::string& out, const CodeTally& tally) {
  for (const auto& [code, count] : tally) {
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
  LineFields fields(line);
  ServerCounters counters;
  counters.REDSCORE = fields.Number('A');
  counters.BLUESCORE = fields.Number('B');
  counters.CLIENTCONNECT = fields.Number('C');
  counters.GAMESHUTDOWN = fields.Number('D');
  counters.GAMEEXIT = fields.Number('E');
  counters.GAMEINIT = fields.Number('F');
  counters.KILLS = fields.Number('G');
  counters.TEAMKILLS = fields.Number('H');
  counters.PING = fields.Number('I');
  counters.REDWIN = fields.Number('J');
  counters.BLUEWIN = fields.Number('K');
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

  PlayerTable& table = server->playerTable();
  NamePool& names = table.names();
  LineFields fields(line);
  PlayerStats stats;
  fields.Read('Z', stats.plainName);
  fields.Read('Y', stats.htmlName);
  fields.Read('A', stats.ping);
  fields.Read('B', stats.score);
  fields.Read('C', stats.kills);
  fields.Read('D', stats.deaths);
  fields.Read('E', stats.suicides);
  fields.Read('F', stats.teamKills);
  fields.Read('G', stats.targets, names);
  fields.Read('H', stats.killers, names);
  fields.Read('I', stats.teamKillVictims, names);
  fields.Read('J', stats.killWeapons);
  fields.Read('K', stats.deathWeapons);
  fields.Read('L', stats.suicideWeapons);
  fields.Read('M', stats.teams, names);
  fields.Read('N', stats.models, names);
  table.ReplacePlayer(playerName).Restore(std::move(stats));
}

void LoadRecordLine(ServerList& servers, std::string_view name,
                    std::string_view line) {
  if (line.find("SRV|") != std::string_view::npos) {
    LoadServerRecord(servers, name, line);
  } else if (line.find("PLR|") != std::string_view::npos) {
    LoadPlayerRecord(servers, name, line);
  }
}

std::string ServerRecord(const ServerList& servers, std::string_view name) {
  const Server* server = servers.FindReported(name);
  if (server == nullptr) {
    return "";
  }
  const PlayerMap& players = server->playerTable().players();
  std::string text;
  text.reserve(RecordSizeEstimate(players));
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
