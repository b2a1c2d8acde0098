#include "report/games_xml.h"

#include "report/game_fields.h"
#include "report/xml_text.h"

namespace kilnbook {

namespace {

void AppendRecords(std::string& out, const GameHistory& history) {
  out += "<RECORDS>\n";
  for (const FeatBlock& block : kFeatBlocks) {
    AppendTagLine(out, 1, "", block.records);
    for (const RecordEntry& entry : FeatOf(history.records(), block.feat)) {
      AppendLine(out, 2, "<RECORD>");
      AppendFigure(out, 3, history, entry.value, entry.game);
      AppendNameLines(out, 3, entry.name);
      AppendLine(out, 2, "</RECORD>");
    }
    AppendTagLine(out, 1, "/", block.records);
  }
  out += "</RECORDS>\n";
}

}  // namespace

std::string GamesDocumentXml(const ReportContext& context,
                             const GameHistory& history,
                             const std::tm& localTime) {
  std::string out = "<?xml version=\"1.0\"?>\n<KILNBOOKS>\n";
  out += InfoXml(context, localTime);
  out += "<GAMES>\n";
  const auto& games = history.games();
  for (auto it = games.rbegin(); it != games.rend(); ++it) {
    AppendLine(out, 1, "<GAME>");
    AppendGameSummary(out, 2, *it);
    AppendLine(out, 1, "</GAME>");
  }
  out += "</GAMES>\n";
  AppendRecords(out, history);
  out += "</KILNBOOKS>\n";
  return out;
}

}  // namespace kilnbook
