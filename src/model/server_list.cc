#include "model/server_list.h"

namespace kilnbook {

ServerList::ServerList(const ConfigFile& configFile) : configFile_(configFile) {}

void ServerList::AddServer(const std::string& name, const std::string& address,
                           const std::string& logFile) {
  servers_[name] = std::make_unique<Server>(name, address, logFile, configFile_);
}

Server* ServerList::Find(std::string_view name) {
  auto it = servers_.find(name);
  return it == servers_.end() ? nullptr : it->second.get();
}

const Server* ServerList::Find(std::string_view name) const {
  auto it = servers_.find(name);
  return it == servers_.end() ? nullptr : it->second.get();
}

}  // namespace kilnbook
