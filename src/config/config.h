// The settings of a run, parsed from kilnbook.cfg.
#ifndef KILNBOOK_CONFIG_CONFIG_H_
#define KILNBOOK_CONFIG_CONFIG_H_

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace kilnbook {

class ConfigFile;

// Games kept per server with EXTENDED_STATS when KEEP_GAMES is absent.
inline constexpr int32_t kDefaultKeepGames = 1000;

// One server of multi-server mode, from a line
// "MULTI [N]name [A]address [L]logpath " (each value ends one byte before
// the next marker, the log path one byte before the end of the line).
struct MultiEntry {
  std::string name;
  std::string address;
  std::string logFile;
};

// Parses the value of a MULTI line; false when the markers [N], [A], [L] are
// not all present in this order.
bool ParseMultiEntry(std::string_view value, MultiEntry& entry);

// Every line is "KEY" plus one separator byte plus the value. The first key
// found anywhere in the line (keys tested in a fixed order) decides the line;
// the value starts at that key's fixed position (its length plus one), is
// cleaned with CleanText, and the last line of a key wins. Lines of any
// length are read. Read-only once built.
class Config {
 public:
  // Reads kilnbook.cfg in the working directory now.
  Config();

  // The values of `file`; prints "Failed to open cfg file (kilnbook.cfg).\n"
  // when it has no text, and keeps the defaults (empty texts, thresholds 0).
  explicit Config(const ConfigFile& file);

  // The values of configuration text, without any message; empty text gives
  // the defaults.
  static Config FromText(std::string_view text);

  const std::string& logFile() const { return logFile_; }
  const std::string& path() const { return path_; }
  const std::string& serverName() const { return serverName_; }
  const std::string& serverAddress() const { return serverAddress_; }
  const std::string& adminEmail() const { return adminEmail_; }
  const std::string& adminNick() const { return adminNick_; }
  const std::string& adminIcq() const { return adminIcq_; }
  const std::string& excludePlayers() const { return excludePlayers_; }
  int32_t minKills() const { return minKills_; }
  int32_t minScore() const { return minScore_; }
  const std::vector<MultiEntry>& multi() const { return multi_; }
  // EXTENDED_STATS: maps, activity, rating, history and the JSON feed, on
  // when the value reads as a number other than 0; off when absent.
  bool extendedStats() const { return extendedStats_; }
  // KEEP_GAMES: how many of its latest games each server keeps with
  // EXTENDED_STATS, kDefaultKeepGames when absent; a value that reads as a
  // negative number keeps none, as does 0.
  int32_t keepGames() const { return keepGames_; }

  // True when the run covers the MULTI servers instead of SERVER_NAME.
  bool IsMultiServer() const { return !multi_.empty(); }

  // The servers of a run, in order: the MULTI servers, or else the one of
  // SERVER_NAME, SERVER_ADDRESS and LOGFILE.
  std::vector<MultiEntry> Servers() const;

 private:
  struct DefaultsTag {};
  explicit Config(DefaultsTag) {}

  void ParseLine(std::string_view line);

  std::string logFile_;
  std::string path_;
  std::string serverName_;
  std::string serverAddress_;
  std::string adminEmail_;
  std::string adminNick_;
  std::string adminIcq_;
  std::string excludePlayers_;
  int32_t minKills_ = 0;
  int32_t minScore_ = 0;
  std::vector<MultiEntry> multi_;
  bool extendedStats_ = false;
  int32_t keepGames_ = kDefaultKeepGames;
};

// How Config reads one line, for a check of the file: the key that decides
// the line, where it was found, and where its value starts (always the key's
// length plus one, wherever the key stands).
struct ConfigKeyMatch {
  std::string_view key;
  size_t position = 0;
  size_t valuePosition = 0;
};

// The key of `line` (without its line feed or carriage return), tested in
// the order Config tests them; nothing for a line that holds no key.
std::optional<ConfigKeyMatch> MatchConfigKey(std::string_view line);

// The keys, in the order in which a line is tested for them.
std::vector<std::string_view> ConfigKeys();

}  // namespace kilnbook

#endif  // KILNBOOK_CONFIG_CONFIG_H_
