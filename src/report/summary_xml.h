// The main document of a server and the front document over all servers:
// the contract with the installation's "kilnbook.xsl" and
// "kilnbook_front.xsl". Every line, tab and element order is fixed.
#ifndef KILNBOOK_REPORT_SUMMARY_XML_H_
#define KILNBOOK_REPORT_SUMMARY_XML_H_

#include <ctime>
#include <string>
#include <string_view>

#include "config/config.h"
#include "config/config_file.h"
#include "model/player.h"
#include "model/player_table.h"
#include "model/server.h"
#include "model/server_list.h"
#include "report/extra_xml.h"
#include "report/sort_type.h"

namespace kilnbook {

// The home page printed in every INFO block.
inline constexpr const char kHomePage[] = "https://kilnbook.example.org/";
inline constexpr const char kVersion[] = "0.7.0 (Linux)";

// What the INFO and RULES blocks show besides the servers. Borrowed: the
// referenced objects must outlive the context.
struct ReportContext {
  const Config& config;            // ADMIN_ICQ, ADMIN_NICK, ADMIN_EMAIL
  const ConfigFile& configFile;    // each RULES block parses it afresh
  std::string_view serverName;     // the server processed (last)
  std::string_view serverAddress;  // its address
};

// The time of day now, in local time: what LAST_RUN shows.
std::tm LocalTimeNow();

// "HH:MM D/M-YYYY": hours and minutes with two digits, the rest without
// leading zeros.
std::string LastRunText(const std::tm& localTime);

// Builders. Each returns a new text and changes nothing; values are inserted
// as the model holds them, because names and settings were cleaned (and
// escaped) where they entered. Those that take an extension add its blocks
// when one is given (EXTENDED_STATS on); without one the text is the same
// as it always was.

// The INFO block, stamped with `localTime`.
std::string InfoXml(const ReportContext& context, const std::tm& localTime);

// The RULES block of a Config parsed now from `configFile`; prints the
// configuration reader's message when the file has no text.
std::string RulesXml(const ConfigFile& configFile);

// SERVERS: the SERVER block of every server, in name order.
std::string ServersXml(const ServerList& servers,
                       const ExtraFrontReport* extra = nullptr);

// One SERVER block: name, address and the counters; with `extra`, the
// server's HISTORY (two tabs) after TOTALPLAYERS, then its LastGameXml.
std::string ServerXml(const Server& server,
                      const ExtraFrontReport* extra = nullptr);

// The SERVERSTATS block followed by the server's PlayersXml; with `extra`,
// then the server's MAPS and HISTORY blocks (column 0).
std::string ServerStatsXml(const Server& server,
                           const ExtraReport* extra = nullptr);

// ServerStatsXml of the server registered under `name`; empty when there is
// none.
std::string ServerStatsXml(const ServerList& servers, std::string_view name,
                           const ExtraReport* extra = nullptr);

// The weapon catalogue of the table, then PLAYERS with every player that
// meets its thresholds, in name order.
std::string PlayersXml(const PlayerTable& table,
                       const ExtraReport* extra = nullptr);

// One PLAYER block, or the empty text when the player fails its thresholds;
// with `extra`, PlayerExtraXml (with DAYSINACTIVE) after STATS.
std::string PlayerXml(const Player& player, const ExtraReport* extra = nullptr);

// The main document of `context.serverName` for one sort type.
std::string MainXml(const ReportContext& context, const ServerList& servers,
                    SortType type, const std::tm& localTime,
                    const ExtraReport* extra = nullptr);

// The same document around `serverStats`, the server's ServerStatsXml: the
// documents of every sort type share that text, so it can be built once.
std::string MainXml(const ReportContext& context, SortType type,
                    const std::tm& localTime, std::string_view serverStats);

// The front document: INFO, RULES and every server.
std::string FrontXml(const ReportContext& context, const ServerList& servers,
                     const std::tm& localTime,
                     const ExtraFrontReport* extra = nullptr);

}  // namespace kilnbook

#endif  // KILNBOOK_REPORT_SUMMARY_XML_H_
