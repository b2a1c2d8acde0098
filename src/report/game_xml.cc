#include "report/game_xml.h"

#include <algorithm>
#include <cstdint>
#include <vector>

#include "extra/skill_rating.h"
#include "log/number_text.h"
#include "report/game_fields.h"
#include "report/xml_text.h"

namespace kilnbook {

namespace {

void AppendPlayer(std::string& out, const GamePlayer& player) {
  AppendLine(out, 2, "<PLAYER>");
  AppendNameLines(out, 3, player.name);
  AppendElement(out, 3, "SCORE",
                player.score ? WideNumberText(*player.score) : "");
  AppendWideElement(out, 3, "KILLS", player.kills);
  AppendWideElement(out, 3, "DEATHS", player.deaths);
  AppendWideElement(out, 3, "SUICIDES", player.suicides);
  AppendWideElement(out, 3, "TEAMKILLS", player.teamKills);
  AppendWideElement(out, 3, "TIMEPLAYED", player.secondsPlayed);
  AppendWideElement(out, 3, "RATINGBEFORE", RatingPoints(player.ratingBefore));
  AppendWideElement(out, 3, "RATINGAFTER", RatingPoints(player.ratingAfter));
  AppendWideElement(out, 3, "RATINGCHANGE", RatingChangePoints(player));
  AppendWideElement(out, 3, "BESTSPREE", player.bestSpree);
  AppendWideElement(out, 3, "BESTMULTIKILL", player.bestMultiKill);
  AppendElement(out, 3, "WEAPON",
                player.weapon ? WeaponDisplayName(*player.weapon) : "");
  AppendLine(out, 2, "</PLAYER>");
}

// The players of `board` whose team `inTeam` accepts, under `name`.
template <typename InTeam>
void AppendTeam(std::string& out, std::string_view name, std::string_view score,
                const std::vector<const GamePlayer*>& board, InTeam inTeam) {
  AppendLine(out, 1, "<TEAM>");
  AppendElement(out, 2, "NAME", name);
  AppendElement(out, 2, "SCORE", score);
  for (const GamePlayer* player : board) {
    if (inTeam(player->team)) {
      AppendPlayer(out, *player);
    }
  }
  AppendLine(out, 1, "</TEAM>");
}

void AppendTeams(std::string& out, const GameRecord& game) {
  std::vector<const GamePlayer*> board = Scoreboard(game);
  auto side = [](std::string_view team) {
    return team == kAxisTeam || team == kAlliesTeam;
  };
  out += "<TEAMS>\n";
  AppendTeam(out, "Axis", game.scores ? NumberText(game.scores->red) : "",
             board, [](std::string_view team) { return team == kAxisTeam; });
  AppendTeam(out, "Allies", game.scores ? NumberText(game.scores->blue) : "",
             board, [](std::string_view team) { return team == kAlliesTeam; });
  if (std::any_of(board.begin(), board.end(), [&](const GamePlayer* player) {
        return !side(player->team);
      })) {
    AppendTeam(out, TeamDisplayName(""), "", board,
               [&](std::string_view team) { return !side(team); });
  }
  out += "</TEAMS>\n";
}

void AppendWeapons(std::string& out, const GameRecord& game) {
  std::vector<WeaponKills> weapons = game.weapons;
  std::stable_sort(weapons.begin(), weapons.end(),
                   [](const WeaponKills& a, const WeaponKills& b) {
                     return a.kills != b.kills ? a.kills > b.kills
                                               : a.code < b.code;
                   });
  out += "<GAMEWEAPONS>\n";
  for (const WeaponKills& weapon : weapons) {
    AppendLine(out, 1, "<WEAPON>");
    AppendElement(out, 2, "CODE", weapon.code);
    AppendElement(out, 2, "NAME", WeaponDisplayName(weapon.code));
    AppendWideElement(out, 2, "KILLS", weapon.kills);
    AppendLine(out, 1, "</WEAPON>");
  }
  out += "</GAMEWEAPONS>\n";
}

}  // namespace

std::string GameDocumentXml(std::string_view serverName,
                            const GameRecord& game) {
  std::string out = "<?xml version=\"1.0\"?>\n<KILNBOOKS>\n";
  AppendElement(out, 0, "SERVERNAME", serverName);
  out += "<GAME>\n";
  AppendGameSummary(out, 1, game);
  out += "</GAME>\n";
  if (game.firstBlood) {
    out += "<FIRSTBLOOD>\n";
    AppendNameBlock(out, 1, "KILLER", game.firstBlood->killer);
    AppendNameBlock(out, 1, "VICTIM", game.firstBlood->victim);
    AppendWideElement(out, 1, "TIME", game.firstBlood->time);
    out += "</FIRSTBLOOD>\n";
  }
  AppendTeams(out, game);
  AppendWeapons(out, game);
  out += "</KILNBOOKS>\n";
  return out;
}

}  // namespace kilnbook
