#include "model/server.h"

#include <utility>

#include "log/number_text.h"

namespace kilnbook {

Server::Server(std::string name, std::string address, std::string logFile,
               const ConfigFile& configFile)
    : name_(std::move(name)),
      address_(std::move(address)),
      logFile_(std::move(logFile)),
      playerTable_(name_, configFile),
      config_(configFile) {}

void Server::Account(const LogEvent& event) {
  switch (event.kind) {
    case LogEventKind::InitGame:
      InitGame();
      break;
    case LogEventKind::ShutdownGame:
      ShutdownGame();
      break;
    case LogEventKind::Exit:
      Exit();
      break;
    case LogEventKind::Red:
      AddBlueScore(event.blueScore);
      AddRedScore(event.redScore);
      if (event.redScore < event.blueScore) {
        BlueWin();
      } else if (event.blueScore < event.redScore) {
        RedWin();
      }
      break;
    case LogEventKind::ClientConnect:
      ClientConnect(event.slot);
      break;
    case LogEventKind::ClientUserinfoChanged:
      ClientUserinfoChanged(event.slot, event.name, event.htmlName,
                            event.plainName, event.head, event.model);
      break;
    case LogEventKind::Kill:
      Kill(event.killer, event.victim, event.meansOfDeath);
      break;
    case LogEventKind::Score:
      Score(event.slot, event.score, event.ping);
      break;
    default:
      // ClientBegin, Item, Say, ClientDisconnect and unrecognised lines.
      break;
  }
}

void Server::InitGame() { counters_.GAMEINIT = WrapAdd(counters_.GAMEINIT, 1); }

void Server::ShutdownGame() {
  counters_.GAMESHUTDOWN = WrapAdd(counters_.GAMESHUTDOWN, 1);
}

void Server::Exit() { counters_.GAMEEXIT = WrapAdd(counters_.GAMEEXIT, 1); }

void Server::AddRedScore(int32_t score) {
  counters_.REDSCORE = WrapAdd(counters_.REDSCORE, score);
}

void Server::AddBlueScore(int32_t score) {
  counters_.BLUESCORE = WrapAdd(counters_.BLUESCORE, score);
}

void Server::RedWin() { counters_.REDWIN = WrapAdd(counters_.REDWIN, 1); }

void Server::BlueWin() { counters_.BLUEWIN = WrapAdd(counters_.BLUEWIN, 1); }

void Server::ClientConnect(int32_t /*slot*/) {
  counters_.CLIENTCONNECT = WrapAdd(counters_.CLIENTCONNECT, 1);
}

void Server::ClientUserinfoChanged(int32_t slot, const std::string& name,
                                   const std::string& htmlName,
                                   const std::string& plainName,
                                   const std::string& head,
                                   const std::string& model) {
  playerTable_.ClientUserinfoChanged(slot, name, htmlName, plainName, head,
                                     model);
}

void Server::Kill(int32_t killer, int32_t victim, int32_t code) {
  if (playerTable_.Kill(killer, victim, code)) {
    counters_.TEAMKILLS = WrapAdd(counters_.TEAMKILLS, 1);
  }
  counters_.KILLS = WrapAdd(counters_.KILLS, 1);
}

void Server::Score(int32_t slot, int32_t score, int32_t ping) {
  playerTable_.Score(slot, score, ping);
  counters_.PING = WrapAverage(counters_.PING, ping);
}

void Server::PrunePlayers() {
  playerTable_.ExcludePlayers();
  playerTable_.DropBelowMinKills(config_.minKills());
  playerTable_.DropBelowMinScore(config_.minScore());
}

}  // namespace kilnbook
