#include "config/config.h"

#include <algorithm>
#include <iterator>
#include <optional>

#include "config/config_file.h"
#include "log/number_text.h"
#include "log/text_clean.h"

namespace kilnbook {

namespace {

enum class Key {
  kLogFile,
  kPath,
  kMinScore,
  kMinKills,
  kServerName,
  kServerAddress,
  kAdminEmail,
  kAdminNick,
  kAdminIcq,
  kExcludePlayers,
  kMulti,
  kExtendedStats,
  kKeepGames,
};

struct KeyName {
  Key key;
  std::string_view text;
};

// The order in which a line is tested for keys: the first one found anywhere
// in the line decides it. Keys added later go last, so that no line that
// holds an older key changes its meaning.
constexpr KeyName kKeys[] = {
    {Key::kLogFile, "LOGFILE"},
    {Key::kPath, "PATH"},
    {Key::kMinScore, "MIN_SCORE"},
    {Key::kMinKills, "MIN_KILLS"},
    {Key::kServerName, "SERVER_NAME"},
    {Key::kServerAddress, "SERVER_ADDRESS"},
    {Key::kAdminEmail, "ADMIN_EMAIL"},
    {Key::kAdminNick, "ADMIN_NICK"},
    {Key::kAdminIcq, "ADMIN_ICQ"},
    {Key::kExcludePlayers, "EXCLUDE_PLAYERS"},
    {Key::kMulti, "MULTI"},
    {Key::kExtendedStats, "EXTENDED_STATS"},
    {Key::kKeepGames, "KEEP_GAMES"},
};

// The index in kKeys of the first key found anywhere in `line`: the one
// rule by which a line is read, for a run and for a check alike.
std::optional<size_t> FindKey(std::string_view line) {
  for (size_t i = 0; i < std::size(kKeys); ++i) {
    if (line.find(kKeys[i].text) != std::string_view::npos) {
      return i;
    }
  }
  return std::nullopt;
}

// v[from, from + length) where a negative length gives the empty text.
std::string_view Slice(std::string_view v, size_t from, std::ptrdiff_t length) {
  if (length <= 0 || from >= v.size()) {
    return {};
  }
  return v.substr(from, static_cast<size_t>(length));
}

}  // namespace

bool ParseMultiEntry(std::string_view value, MultiEntry& entry) {
  constexpr auto npos = std::string_view::npos;
  size_t pN = value.find("[N]");
  if (pN == npos) {
    return false;
  }
  size_t pA = value.find("[A]", pN);
  if (pA == npos) {
    return false;
  }
  size_t pL = value.find("[L]", pA);
  if (pL == npos) {
    return false;
  }
  auto signedSize = [](size_t n) { return static_cast<std::ptrdiff_t>(n); };
  // Each value is followed by one separator byte that is not part of it.
  entry.name = Slice(value, pN + 3, signedSize(pA) - signedSize(pN) - 4);
  entry.address = Slice(value, pA + 3, signedSize(pL) - signedSize(pA) - 4);
  entry.logFile =
      Slice(value, pL + 3, signedSize(value.size()) - signedSize(pL) - 4);
  return true;
}

Config::Config() : Config(ConfigFile::Read()) {}

Config::Config(const ConfigFile& file) : Config(*file.values()) {
  file.ReportIfMissing();
}

Config Config::FromText(std::string_view text) {
  Config config{DefaultsTag{}};
  size_t start = 0;
  while (start < text.size()) {
    size_t newline = text.find('\n', start);
    size_t end = newline == std::string_view::npos ? text.size() : newline;
    config.ParseLine(text.substr(start, end - start));
    start = end + 1;
  }
  return config;
}

void Config::ParseLine(std::string_view line) {
  if (!line.empty() && (line.back() == '\r' || line.back() == '\n')) {
    line.remove_suffix(1);
  }
  std::optional<size_t> found = FindKey(line);
  if (!found) {
    return;
  }
  const KeyName& candidate = kKeys[*found];
  size_t position = candidate.text.size() + 1;
  std::string value =
      CleanText(position < line.size() ? line.substr(position) : "");
  switch (candidate.key) {
    case Key::kLogFile:
      logFile_ = std::move(value);
      break;
    case Key::kPath:
      path_ = std::move(value);
      break;
    case Key::kMinScore:
      minScore_ = ParseNumber(value);
      break;
    case Key::kMinKills:
      minKills_ = ParseNumber(value);
      break;
    case Key::kServerName:
      serverName_ = std::move(value);
      break;
    case Key::kServerAddress:
      serverAddress_ = std::move(value);
      break;
    case Key::kAdminEmail:
      adminEmail_ = std::move(value);
      break;
    case Key::kAdminNick:
      adminNick_ = std::move(value);
      break;
    case Key::kAdminIcq:
      adminIcq_ = std::move(value);
      break;
    case Key::kExcludePlayers:
      excludePlayers_ = std::move(value);
      break;
    case Key::kMulti: {
      MultiEntry entry;
      if (ParseMultiEntry(value, entry)) {
        multi_.push_back(std::move(entry));
      }
      break;
    }
    case Key::kExtendedStats:
      extendedStats_ = ParseNumber(value) != 0;
      break;
    case Key::kKeepGames:
      keepGames_ = std::max<int32_t>(ParseNumber(value), 0);
      break;
  }
}

std::vector<MultiEntry> Config::Servers() const {
  if (IsMultiServer()) {
    return multi_;
  }
  return {MultiEntry{serverName_, serverAddress_, logFile_}};
}

std::optional<ConfigKeyMatch> MatchConfigKey(std::string_view line) {
  std::optional<size_t> found = FindKey(line);
  if (!found) {
    return std::nullopt;
  }
  std::string_view key = kKeys[*found].text;
  return ConfigKeyMatch{key, line.find(key), key.size() + 1};
}

std::vector<std::string_view> ConfigKeys() {
  std::vector<std::string_view> names;
  for (const KeyName& candidate : kKeys) {
    names.push_back(candidate.text);
  }
  return names;
}

}  // namespace kilnbook
