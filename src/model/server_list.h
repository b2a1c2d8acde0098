// The registry of the configured game servers, by name.
#ifndef KILNBOOK_MODEL_SERVER_LIST_H_
#define KILNBOOK_MODEL_SERVER_LIST_H_

#include <map>
#include <memory>
#include <string>
#include <string_view>

#include "config/config_file.h"
#include "model/server.h"

namespace kilnbook {

class ServerList {
 public:
  // `configFile` is borrowed and must outlive the registry; every Server
  // builds its configuration from it.
  explicit ServerList(const ConfigFile& configFile);

  ServerList(const ServerList&) = delete;
  ServerList& operator=(const ServerList&) = delete;

  // Registers a new Server under `name`, replacing any earlier one.
  void AddServer(const std::string& name, const std::string& address,
                 const std::string& logFile);

  // The server registered under `name`, or null. Never creates one.
  Server* Find(std::string_view name);
  const Server* Find(std::string_view name) const;

  // Servers in ascending byte-wise name order.
  const std::map<std::string, std::unique_ptr<Server>, std::less<>>& servers()
      const {
    return servers_;
  }

 private:
  const ConfigFile& configFile_;
  std::map<std::string, std::unique_ptr<Server>, std::less<>> servers_;
};

}  // namespace kilnbook

#endif  // KILNBOOK_MODEL_SERVER_LIST_H_
