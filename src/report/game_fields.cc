#include "report/game_fields.h"

#include <algorithm>
#include <ctime>

#include "extra/skill_rating.h"
#include "log/number_text.h"
#include "log/text_clean.h"
#include "model/weapon_table.h"
#include "report/xml_text.h"
#include "time/calendar.h"

namespace kilnbook {

std::string_view WinnerText(GameWinner winner) {
  switch (winner) {
    case GameWinner::kAxis:
      return "Axis";
    case GameWinner::kAllies:
      return "Allies";
    case GameWinner::kDraw:
      return "Draw";
    case GameWinner::kNone:
      break;
  }
  return "";
}

std::string_view TeamDisplayName(std::string_view team) {
  if (team == kAxisTeam) {
    return "Axis";
  }
  if (team == kAlliesTeam) {
    return "Allies";
  }
  return "Unknown team";
}

std::string_view ResultText(const GameRecord& game, const GamePlayer& player) {
  GameWinner winner = WinnerOf(game);
  bool axis = player.team == kAxisTeam;
  if (winner == GameWinner::kNone || (!axis && player.team != kAlliesTeam)) {
    return "";
  }
  if (winner == GameWinner::kDraw) {
    return "Draw";
  }
  return (winner == GameWinner::kAxis) == axis ? "Won" : "Lost";
}

bool ScoresAbove(const GamePlayer& a, const GamePlayer& b) {
  if (a.score.has_value() != b.score.has_value()) {
    return a.score.has_value();
  }
  if (a.score && *a.score != *b.score) {
    return *a.score > *b.score;
  }
  if (a.kills != b.kills) {
    return a.kills > b.kills;
  }
  if (a.deaths != b.deaths) {
    return a.deaths < b.deaths;
  }
  return a.name < b.name;
}

std::vector<const GamePlayer*> Scoreboard(const GameRecord& game) {
  std::vector<const GamePlayer*> board;
  board.reserve(game.players.size());
  for (const GamePlayer& player : game.players) {
    board.push_back(&player);
  }
  std::sort(board.begin(), board.end(),
            [](const GamePlayer* a, const GamePlayer* b) {
              return ScoresAbove(*a, *b);
            });
  return board;
}

const GamePlayer* TopPlayer(const GameRecord& game) {
  const GamePlayer* top = nullptr;
  for (const GamePlayer& player : game.players) {
    if (top == nullptr || ScoresAbove(player, *top)) {
      top = &player;
    }
  }
  return top;
}

int64_t RatingChangePoints(const GamePlayer& player) {
  return RatingPoints(player.ratingAfter) - RatingPoints(player.ratingBefore);
}

std::string_view WeaponDisplayName(int32_t code) {
  return WeaponTable().Text(code, true).value_or("");
}

void AppendNameLines(std::string& out, int tabs, std::string_view name) {
  AppendElement(out, tabs, "NAME", name);
  AppendElement(out, tabs, "PLAINNAME", ColorizeName(name, NameMode::kPlain));
  AppendElement(out, tabs, "HTMLNAME", ColorizeName(name, NameMode::kMarkup));
}

void AppendNameBlock(std::string& out, int tabs, std::string_view element,
                     std::string_view name) {
  AppendTagLine(out, tabs, "", element);
  AppendNameLines(out, tabs + 1, name);
  AppendTagLine(out, tabs, "/", element);
}

void AppendFigure(std::string& out, int tabs, const GameHistory& history,
                  int64_t value, int64_t game) {
  AppendElement(out, tabs, "VALUE", WideNumberText(value));
  AppendElement(out, tabs, "GAME", WideNumberText(game));
  AppendElement(out, tabs, "KEPT",
                history.FindGame(game) != nullptr ? "1" : "0");
}

void AppendGameSummary(std::string& out, int tabs, const GameRecord& game) {
  AppendElement(out, tabs, "NUMBER", WideNumberText(game.number));
  AppendElement(out, tabs, "WHEN",
                LocalMinuteText(static_cast<std::time_t>(game.runTime)));
  AppendElement(out, tabs, "MAP", game.map);
  AppendElement(out, tabs, "LENGTH", WideNumberText(game.length));
  AppendElement(out, tabs, "AXISSCORE",
                game.scores ? NumberText(game.scores->red) : "");
  AppendElement(out, tabs, "ALLIESSCORE",
                game.scores ? NumberText(game.scores->blue) : "");
  AppendElement(out, tabs, "WINNER", WinnerText(WinnerOf(game)));
  AppendElement(out, tabs, "PLAYERS",
                WideNumberText(static_cast<int64_t>(game.players.size())));
  if (const GamePlayer* top = TopPlayer(game)) {
    AppendNameBlock(out, tabs, "TOPPLAYER", top->name);
  }
}

}  // namespace kilnbook
