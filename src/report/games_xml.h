// The games document of a server: the contract with the installation's
// "kilnbook_games.xsl" (EXTENDED_STATS on). Every line, tab and element
// order is fixed.
#ifndef KILNBOOK_REPORT_GAMES_XML_H_
#define KILNBOOK_REPORT_GAMES_XML_H_

#include <ctime>
#include <string>

#include "extra/game_history.h"
#include "report/summary_xml.h"

namespace kilnbook {

// Declaration, root, the INFO block, then GAMES: every kept game, newest
// first, each a GAME with AppendGameSummary (two tabs); then RECORDS with
// KILLS, SPREES and MULTIKILLS, each a RECORD per server record, best first:
// VALUE, GAME, KEPT (AppendFigure), then NAME, PLAINNAME and HTMLNAME.
std::string GamesDocumentXml(const ReportContext& context,
                             const GameHistory& history,
                             const std::tm& localTime);

}  // namespace kilnbook

#endif  // KILNBOOK_REPORT_GAMES_XML_H_
