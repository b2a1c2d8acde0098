// One game server: its identity and game counters, and its players.
#ifndef KILNBOOK_MODEL_SERVER_H_
#define KILNBOOK_MODEL_SERVER_H_

#include <string>

#include "config/config_file.h"

namespace kilnbook {

class Server {
 public:
  // `configFile` is borrowed and must outlive the server.
  Server(std::string name, std::string address, std::string logFile,
         const ConfigFile& configFile);

  const std::string& name() const { return name_; }
  const std::string& address() const { return address_; }

 private:
  std::string name_;
  std::string address_;
  std::string logFile_;
};

}  // namespace kilnbook

#endif  // KILNBOOK_MODEL_SERVER_H_
