#include "app/config_check.h"

#include <sys/stat.h>

#include <algorithm>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "log/number_text.h"
#include "log/text_clean.h"

namespace kilnbook {

namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

bool IsWordByte(char c) {
  return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') ||
         (c >= '0' && c <= '9') || c == '_';
}

bool IsBlankLine(std::string_view line) {
  return std::all_of(line.begin(), line.end(), IsBlank);
}

bool IsNumberKey(std::string_view key) {
  return key == "MIN_KILLS" || key == "MIN_SCORE" || key == "EXTENDED_STATS" ||
         key == "KEEP_GAMES";
}

// A blank at either end of these values is part of a file or directory name.
bool NamesAFile(std::string_view key) {
  return key == "LOGFILE" || key == "PATH" || key == "SERVER_NAME";
}

// Whether ParseNumber finds digits: C white space, a sign, then a digit.
bool HoldsNumber(std::string_view value) {
  size_t i = 0;
  while (i < value.size() &&
         (IsBlank(value[i]) || value[i] == '\n' || value[i] == '\v' ||
          value[i] == '\f' || value[i] == '\r')) {
    ++i;
  }
  if (i < value.size() && (value[i] == '+' || value[i] == '-')) {
    ++i;
  }
  return i < value.size() && value[i] >= '0' && value[i] <= '9';
}

bool LosesBytes(std::string_view raw) {
  return std::any_of(raw.begin(), raw.end(), [](char c) {
    return CleanText(std::string_view(&c, 1)).empty();
  });
}

std::string UpperCase(std::string_view text) {
  std::string upper(text);
  for (char& c : upper) {
    if (c >= 'a' && c <= 'z') {
      c = static_cast<char>(c - 'a' + 'A');
    }
  }
  return upper;
}

// Edits (insertions, removals, replacements) that turn `a` into `b`.
size_t EditDistance(std::string_view a, std::string_view b) {
  std::vector<size_t> row(b.size() + 1);
  for (size_t j = 0; j <= b.size(); ++j) {
    row[j] = j;
  }
  for (size_t i = 1; i <= a.size(); ++i) {
    size_t diagonal = row[0];
    row[0] = i;
    for (size_t j = 1; j <= b.size(); ++j) {
      size_t above = row[j];
      row[j] = std::min({row[j] + 1, row[j - 1] + 1,
                         diagonal + (a[i - 1] == b[j - 1] ? 0 : 1)});
      diagonal = above;
    }
  }
  return row[b.size()];
}

// The key that a line without any key was probably meant to start with.
std::optional<std::string_view> MeantKey(std::string_view line) {
  size_t start = 0;
  while (start < line.size() && IsBlank(line[start])) {
    ++start;
  }
  size_t end = start;
  while (end < line.size() && !IsBlank(line[end]) && line[end] != '=') {
    ++end;
  }
  std::string word = UpperCase(line.substr(start, end - start));
  for (std::string_view key : ConfigKeys()) {
    if (EditDistance(word, key) <= 2) {
      return key;
    }
  }
  return std::nullopt;
}

// The key that the line starts with, if any.
std::optional<std::string_view> KeyAtStart(std::string_view line) {
  for (std::string_view key : ConfigKeys()) {
    if (line.substr(0, key.size()) == key) {
      return key;
    }
  }
  return std::nullopt;
}

std::string Reading(std::string_view key, const std::string& value) {
  std::string reading(key);
  if (key == "MULTI") {
    MultiEntry entry;
    if (!ParseMultiEntry(value, entry)) {
      return reading + ", adding no server";
    }
    return reading + " server " + Quoted(entry.name) + ", address " +
           Quoted(entry.address) + ", log " + Quoted(entry.logFile);
  }
  if (key == "EXTENDED_STATS") {
    return reading + (ParseNumber(value) != 0 ? " on" : " off");
  }
  if (key == "KEEP_GAMES") {
    // A negative number keeps no game, as 0 does.
    return reading + " " + NumberText(std::max<int32_t>(ParseNumber(value), 0));
  }
  if (IsNumberKey(key)) {
    return reading + " " + NumberText(ParseNumber(value));
  }
  return reading + " " + Quoted(value);
}

void CheckUnmatchedLine(size_t number, std::string_view line,
                        CheckOutput& out) {
  std::string item = "line " + std::to_string(number) + ": no key, ignored";
  size_t first = line.find_first_not_of(" \t");
  if (line[first] == '#') {
    out.Item(item + " (a remark)");
    return;
  }
  out.Item(item);
  std::string error = "no key in " + Quoted(line) + " (keys are upper case";
  if (std::optional<std::string_view> meant = MeantKey(line)) {
    error += "; " + std::string(*meant) + " meant?";
  }
  out.Error(error + "): its setting is lost; start a remark with #");
}

void CheckKeyPlace(const ConfigKeyMatch& match, std::string_view line,
                   CheckOutput& out) {
  if (match.position == 0) {
    return;
  }
  std::string key(match.key);
  std::string error = key + " is found inside the line, not at its start: " +
                      "the line is read as " + key + " with the value from " +
                      "byte " + std::to_string(match.valuePosition) + " on; ";
  std::optional<std::string_view> other = KeyAtStart(line);
  if (other) {
    error += "it starts with " + std::string(*other) + ", but " + key +
             " is tested first: keep key names out of values";
  } else if (line[line.find_first_not_of(" \t")] == '#') {
    error +=
        "a remark that names a key is read as that key: leave the "
        "key's name out of it";
  } else {
    error += "write the key at the start of the line";
  }
  out.Error(error);
}

void CheckSeparator(const ConfigKeyMatch& match, std::string_view line,
                    std::string_view raw, CheckOutput& out) {
  if (match.position != 0 || line.size() <= match.key.size()) {
    return;
  }
  // Any one byte separates; a letter, digit or underscore rather continues
  // a longer word, which is then not the key it starts with.
  char separator = line[match.key.size()];
  if (IsWordByte(separator)) {
    out.Error(std::string(match.key) + " is followed by " +
              ByteName(separator) +
              " where one blank or '=' must separate it from its value; " +
              "the value is read from the next byte on");
  } else if (!raw.empty() && (IsBlank(raw[0]) || raw[0] == '=')) {
    out.Error("the value starts with " + ByteName(raw[0]) +
              ": exactly one byte separates the key from its value, so a "
              "second one is part of the value; write " +
              std::string(match.key) + " and one blank before the value");
  }
}

void CheckMultiValue(std::string_view value, CheckOutput& out) {
  MultiEntry entry;
  if (!ParseMultiEntry(value, entry)) {
    out.Error(
        "adds no server: a MULTI line needs [N]name [A]address [L]log, "
        "in this order, each value followed by one blank");
    return;
  }
  size_t nameStart = value.find("[N]") + 3;
  size_t addressMark = value.find("[A]", nameStart - 3);
  size_t logMark = value.find("[L]", addressMark);
  // The byte before each marker and the last byte end the values and are
  // dropped, whatever they are.
  auto dropped = [&](size_t at, size_t valueStart, const char* what) {
    if (at >= valueStart && at < value.size() && !IsBlank(value[at])) {
      out.Error("the byte before " + std::string(what) + " is " +
                ByteName(value[at]) +
                ", not a blank: it is dropped, so the "
                "value before it loses its last byte");
    }
  };
  dropped(addressMark - 1, nameStart, "[A]");
  dropped(logMark - 1, addressMark + 3, "[L]");
  if (!value.empty() && !IsBlank(value.back()) && value.size() > logMark + 3) {
    out.Error("the line does not end with a blank: its last byte, " +
              ByteName(value.back()) + ", is dropped from the log path");
  }
  for (const auto& [text, what] :
       {std::pair{entry.name, "server name"}, {entry.logFile, "log path"}}) {
    if (text.empty()) {
      out.Error(std::string("no ") + what);
    } else if (IsBlank(text.front()) || IsBlank(text.back())) {
      out.Error(std::string("the ") + what +
                " has a blank at its start or end, which is part of it");
    }
  }
}

void CheckValue(std::string_view key, std::string_view raw,
                const std::string& value, CheckOutput& out) {
  if (LosesBytes(raw)) {
    out.Warning(
        "cleaning removes the bytes < > * ' ` | 0xB4 0x12 0x14 0x1A "
        "from values: read as " +
        Quoted(value));
  }
  if (key == "MULTI") {
    CheckMultiValue(value, out);
  } else if (IsNumberKey(key)) {
    if (!value.empty() && !HoldsNumber(value)) {
      out.Error(std::string(key) + " is not a number: read as 0" +
                (key == "EXTENDED_STATS" ? ", which is off"
                 : key == "KEEP_GAMES"   ? ", which keeps no game"
                                         : ""));
    }
  } else if (!value.empty() && IsBlank(value.back())) {
    if (NamesAFile(key)) {
      out.Error(
          "the value ends with a blank, which is part of the name: "
          "remove it");
    } else {
      out.Warning("the value ends with a blank, which is part of it");
    }
  }
}

bool UnusedInMode(std::string_view key, const Config& config) {
  bool singleKey =
      key == "SERVER_NAME" || key == "SERVER_ADDRESS" || key == "LOGFILE";
  return singleKey && config.IsMultiServer();
}

std::vector<std::string_view> Lines(std::string_view text) {
  std::vector<std::string_view> lines;
  size_t start = 0;
  while (start < text.size()) {
    size_t newline = text.find('\n', start);
    size_t end = newline == std::string_view::npos ? text.size() : newline;
    std::string_view line = text.substr(start, end - start);
    if (!line.empty() && line.back() == '\r') {
      line.remove_suffix(1);
    }
    lines.push_back(line);
    start = end + 1;
  }
  return lines;
}

}  // namespace

void CheckConfigLines(std::string_view text, const Config& config,
                      CheckOutput& out) {
  std::vector<std::string_view> lines = Lines(text);
  std::map<std::string_view, size_t> lastLine;
  for (size_t i = 0; i < lines.size(); ++i) {
    if (std::optional<ConfigKeyMatch> match = MatchConfigKey(lines[i])) {
      lastLine[match->key] = i + 1;
    }
  }
  for (size_t i = 0; i < lines.size(); ++i) {
    std::string_view line = lines[i];
    size_t number = i + 1;
    if (IsBlankLine(line)) {
      continue;
    }
    std::optional<ConfigKeyMatch> match = MatchConfigKey(line);
    if (!match) {
      CheckUnmatchedLine(number, line, out);
      continue;
    }
    std::string_view raw = match->valuePosition < line.size()
                               ? line.substr(match->valuePosition)
                               : std::string_view();
    std::string value = CleanText(raw);
    out.Item("line " + std::to_string(number) + ": " +
             Reading(match->key, value));
    CheckKeyPlace(*match, line, out);
    CheckSeparator(*match, line, raw, out);
    CheckValue(match->key, raw, value, out);
    if (match->key != "MULTI" && lastLine[match->key] != number) {
      out.Warning("line " + std::to_string(lastLine[match->key]) + " sets " +
                  std::string(match->key) + " again, and the last line wins");
    }
    if (UnusedInMode(match->key, config)) {
      out.Note("not used: the MULTI lines name the servers");
    }
    if (match->key == "KEEP_GAMES" && !config.extendedStats()) {
      out.Note("not used: EXTENDED_STATS is off");
    }
  }
}

void CheckConfigServers(const Config& config, CheckOutput& out) {
  if (!config.path().empty() && config.path().back() != '/') {
    out.Item("PATH " + Quoted(config.path()));
    out.Warning(
        "PATH does not end with /: it is joined to server names and "
        "stylesheet names as it is (" +
        Quoted(config.path() + "kilnbook.xsl") + ")");
  }
  if (!config.IsMultiServer()) {
    out.Item("one server: " + Quoted(config.serverName()) + ", log " +
             Quoted(config.logFile()));
    if (config.serverName().empty()) {
      out.Error(
          "SERVER_NAME is not set: the server's files would be written "
          "into PATH itself, where the front page overwrites its main "
          "page; set SERVER_NAME");
    }
    if (config.logFile().empty()) {
      out.Error(
          "LOGFILE is not set: no game would ever be counted; set it "
          "to the game server's log");
    }
    return;
  }
  size_t count = config.multi().size();
  out.Item(std::to_string(count) + (count == 1 ? " server" : " servers") +
           " from MULTI lines");
  std::set<std::string> names;
  std::map<std::pair<dev_t, ino_t>, std::string> logs;
  for (const MultiEntry& entry : config.multi()) {
    if (!names.insert(entry.name).second) {
      out.Error("the server name " + Quoted(entry.name) +
                " is given twice: both lines share one data file and one set "
                "of pages; give each server its own name");
    }
    struct stat info;
    if (::stat(entry.logFile.c_str(), &info) != 0) {
      continue;
    }
    auto [it, added] = logs.try_emplace({info.st_dev, info.st_ino}, entry.name);
    if (!added && it->second != entry.name) {
      out.Warning("servers " + Quoted(it->second) + " and " +
                  Quoted(entry.name) +
                  " read the same log: its finished "
                  "games go to " +
                  Quoted(it->second) + " only");
    }
  }
}

}  // namespace kilnbook
