#include "model/server.h"

#include <utility>

namespace kilnbook {

Server::Server(std::string name, std::string address, std::string logFile,
               const ConfigFile& /*configFile*/)
    : name_(std::move(name)),
      address_(std::move(address)),
      logFile_(std::move(logFile)) {}

}  // namespace kilnbook
