#include "model/server_list.h"

#include <cstdio>

namespace kilnbook {

ServerList::ServerList(const ConfigFile& configFile)
    : configFile_(configFile) {}

void ServerList::AddServer(const std::string& name, const std::string& address,
                           const std::string& logFile) {
  servers_.insert_or_assign(
      name, std::make_unique<Server>(name, address, logFile, configFile_));
}

Server* ServerList::Find(std::string_view name) {
  auto it = servers_.find(name);
  return it == servers_.end() ? nullptr : it->second.get();
}

const Server* ServerList::Find(std::string_view name) const {
  auto it = servers_.find(name);
  return it == servers_.end() ? nullptr : it->second.get();
}

Server* ServerList::FindReported(std::string_view name) {
  Server* server = Find(name);
  if (server == nullptr) {
    std::printf("Server does not exist under this name in the config: %.*s\n",
                static_cast<int>(name.size()), name.data());
  }
  return server;
}

const Server* ServerList::FindReported(std::string_view name) const {
  return const_cast<ServerList*>(this)->FindReported(name);
}

void ServerList::InitGame(std::string_view name) {
  if (Server* server = Find(name)) {
    server->InitGame();
  }
}

void ServerList::ShutdownGame(std::string_view name) {
  if (Server* server = Find(name)) {
    server->ShutdownGame();
  }
}

void ServerList::Exit(std::string_view name) {
  if (Server* server = Find(name)) {
    server->Exit();
  }
}

void ServerList::AddRedScore(std::string_view name, int32_t score) {
  if (Server* server = Find(name)) {
    server->AddRedScore(score);
  }
}

void ServerList::AddBlueScore(std::string_view name, int32_t score) {
  if (Server* server = Find(name)) {
    server->AddBlueScore(score);
  }
}

void ServerList::RedWin(std::string_view name) {
  if (Server* server = Find(name)) {
    server->RedWin();
  }
}

void ServerList::BlueWin(std::string_view name) {
  if (Server* server = Find(name)) {
    server->BlueWin();
  }
}

void ServerList::ClientConnect(std::string_view name, int32_t slot) {
  if (Server* server = Find(name)) {
    server->ClientConnect(slot);
  }
}

void ServerList::ClientUserinfoChanged(std::string_view serverName,
                                       int32_t slot, const std::string& name,
                                       const std::string& htmlName,
                                       const std::string& plainName,
                                       const std::string& head,
                                       const std::string& model) {
  if (Server* server = Find(serverName)) {
    server->ClientUserinfoChanged(slot, name, htmlName, plainName, head, model);
  }
}

void ServerList::Kill(std::string_view name, int32_t killer, int32_t victim,
                      int32_t code) {
  if (Server* server = Find(name)) {
    server->Kill(killer, victim, code);
  }
}

void ServerList::Score(std::string_view name, int32_t slot, int32_t score,
                       int32_t ping) {
  if (Server* server = Find(name)) {
    server->Score(slot, score, ping);
  }
}

}  // namespace kilnbook
