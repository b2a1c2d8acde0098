#include "report/summary_xml.h"

#include <cstdint>

#include "log/number_text.h"
#include "report/player_xml.h"
#include "report/weapon_xml.h"
#include "report/xml_text.h"

namespace kilnbook {

namespace {

constexpr std::string_view kDeclaration = "<?xml version=\"1.0\"?>\n";
constexpr std::string_view kRootOpen = "<KILNBOOKS>\n";
constexpr std::string_view kRootClose = "</KILNBOOKS>\n";

// A number of at least two digits, "07" for 7.
void AppendTwoDigits(std::string& out, int value) {
  if (value >= 0 && value <= 9) {
    out += '0';
  }
  AppendNumber(out, value);
}

// The counter lines shared by SERVER and SERVERSTATS.
void AppendCounters(std::string& out, const Server& server) {
  const ServerCounters& c = server.counters();
  AppendElement(out, 2, "REDSCORE", c.REDSCORE);
  AppendElement(out, 2, "BLUESCORE", c.BLUESCORE);
  AppendElement(out, 2, "REDWIN", c.REDWIN);
  AppendElement(out, 2, "BLUEWIN", c.BLUEWIN);
  AppendElement(out, 2, "CLIENTCONNECT", c.CLIENTCONNECT);
  AppendElement(out, 2, "GAMESHUTDOWN", c.GAMESHUTDOWN);
  AppendElement(out, 2, "GAMEEXIT", c.GAMEEXIT);
  AppendElement(out, 2, "GAMEINIT", c.GAMEINIT);
  AppendElement(out, 2, "KILLS", c.KILLS);
  AppendElement(out, 2, "TEAMKILLS", c.TEAMKILLS);
  AppendElement(out, 2, "PING", c.PING);
  AppendElement(out, 2, "TOTALPLAYERS",
                static_cast<int32_t>(server.playerTable().players().size()));
}

// The HISTORY and LASTGAME blocks of a SERVER element.
std::string ServerHistoryXml(const ExtraFrontReport& extra,
                             std::string_view serverName) {
  auto it = extra.servers.find(serverName);
  if (it == extra.servers.end()) {
    return HistoryXml(ExtraStats(), extra.now, 2);
  }
  return HistoryXml(it->second, extra.now, 2) + LastGameXml(it->second.games());
}

// The main document up to the server's statistics: SORTBY, INFO, RULES.
std::string MainHeadXml(const ReportContext& context, SortType type,
                        const std::tm& localTime) {
  std::string out(kDeclaration);
  out += kRootOpen;
  out += SortByXml(type);
  out += InfoXml(context, localTime);
  out += RulesXml(context.configFile);
  return out;
}

}  // namespace

std::tm LocalTimeNow() {
  std::time_t now = std::time(nullptr);
  std::tm local{};
  localtime_r(&now, &local);
  return local;
}

std::string LastRunText(const std::tm& localTime) {
  std::string out;
  AppendTwoDigits(out, localTime.tm_hour);
  out += ':';
  AppendTwoDigits(out, localTime.tm_min);
  out += ' ';
  AppendNumber(out, localTime.tm_mday);
  out += '/';
  AppendNumber(out, localTime.tm_mon + 1);
  out += '-';
  AppendNumber(out, localTime.tm_year + 1900);
  return out;
}

std::string InfoXml(const ReportContext& context, const std::tm& localTime) {
  std::string out = "\t<INFO>\n";
  AppendElement(out, 2, "ADMIN_ICQ", context.config.adminIcq());
  AppendElement(out, 2, "ADMIN_NICK", context.config.adminNick());
  AppendElement(out, 2, "ADMIN_MAIL", context.config.adminEmail());
  AppendElement(out, 2, "SERVER_ADDRESS", context.serverAddress);
  AppendElement(out, 2, "SERVER_NAME", context.serverName);
  AppendElement(out, 2, "HOMEPAGE", kHomePage);
  AppendElement(out, 2, "VERSION", kVersion);
  AppendElement(out, 2, "LAST_RUN", LastRunText(localTime));
  out += "\t</INFO>\n";
  return out;
}

std::string RulesXml(const ConfigFile& configFile) {
  Config config(configFile);
  std::string out = "\t<RULES>\n";
  AppendElement(out, 2, "RULE_MINSCORE", config.minScore());
  AppendElement(out, 2, "RULE_MINKILLS", config.minKills());
  out += "\t</RULES>\n";
  return out;
}

std::string ServersXml(const ServerList& servers,
                       const ExtraFrontReport* extra) {
  std::string out = "<SERVERS>\n";
  for (const auto& [name, server] : servers.servers()) {
    out += ServerXml(*server, extra);
  }
  out += "</SERVERS>\n";
  return out;
}

std::string ServerXml(const Server& server, const ExtraFrontReport* extra) {
  std::string out = "\t<SERVER>\n";
  AppendElement(out, 2, "SERVERNAME", server.name());
  AppendElement(out, 2, "SERVERADDRESS", server.address());
  AppendCounters(out, server);
  if (extra != nullptr) {
    out += ServerHistoryXml(*extra, server.name());
  }
  out += "\t</SERVER>\n";
  return out;
}

std::string ServerStatsXml(const Server& server, const ExtraReport* extra) {
  std::string out = "\t<SERVERSTATS>\n";
  AppendCounters(out, server);
  out += "\t</SERVERSTATS>\n";
  out += PlayersXml(server.playerTable(), extra);
  if (extra != nullptr) {
    out += ServerMapsXml(extra->stats);
    out += HistoryXml(extra->stats, extra->now, 0);
  }
  return out;
}

std::string ServerStatsXml(const ServerList& servers, std::string_view name,
                           const ExtraReport* extra) {
  const Server* server = servers.Find(name);
  if (server == nullptr) {
    return {};
  }
  return ServerStatsXml(*server, extra);
}

std::string PlayersXml(const PlayerTable& table, const ExtraReport* extra) {
  std::string out = WeaponsOpenXml();
  out += WeaponExistingXml(table.weapons());
  out += WeaponsCloseXml();
  out += "<PLAYERS>\n";
  for (const auto& [name, player] : table.players()) {
    out += PlayerXml(*player, extra);
  }
  out += "</PLAYERS>\n";
  return out;
}

std::string PlayerXml(const Player& player, const ExtraReport* extra) {
  if (!player.MeetsThresholds()) {
    return {};
  }
  std::string out = PlayerHeadXml(player);
  if (extra != nullptr) {
    out += PlayerExtraXml(ActivityOf(extra->stats, player.name(), extra->now),
                          DaysInactive::kShown);
  }
  out += "</PLAYER>\n";
  return out;
}

std::string MainXml(const ReportContext& context, const ServerList& servers,
                    SortType type, const std::tm& localTime,
                    const ExtraReport* extra) {
  std::string out = MainHeadXml(context, type, localTime);
  out += ServerStatsXml(servers, context.serverName, extra);
  out += kRootClose;
  return out;
}

std::string MainXml(const ReportContext& context, SortType type,
                    const std::tm& localTime, std::string_view serverStats) {
  std::string out = MainHeadXml(context, type, localTime);
  out += serverStats;
  out += kRootClose;
  return out;
}

std::string FrontXml(const ReportContext& context, const ServerList& servers,
                     const std::tm& localTime, const ExtraFrontReport* extra) {
  std::string out(kDeclaration);
  out += kRootOpen;
  out += InfoXml(context, localTime);
  out += RulesXml(context.configFile);
  out += ServersXml(servers, extra);
  out += kRootClose;
  return out;
}

}  // namespace kilnbook
