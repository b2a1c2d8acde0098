// The registry of the configured game servers, by name, and the entry
// points through which events reach a server.
#ifndef KILNBOOK_MODEL_SERVER_LIST_H_
#define KILNBOOK_MODEL_SERVER_LIST_H_

#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <string_view>

#include "config/config_file.h"
#include "model/server.h"

namespace kilnbook {

// Servers in ascending byte-wise name order.
using ServerMap = std::map<std::string, std::unique_ptr<Server>, std::less<>>;

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

  // Like Find, but prints "Server does not exist under this name in the
  // config: %s\n" when there is none; for the data file hand-over.
  Server* FindReported(std::string_view name);
  const Server* FindReported(std::string_view name) const;

  const ServerMap& servers() const { return servers_; }

  // Event entry points: each passes its arguments to the Server of the same
  // name operation. An unknown name changes nothing.
  void InitGame(std::string_view name);
  void ShutdownGame(std::string_view name);
  void Exit(std::string_view name);
  void AddRedScore(std::string_view name, int32_t score);
  void AddBlueScore(std::string_view name, int32_t score);
  void RedWin(std::string_view name);
  void BlueWin(std::string_view name);
  void ClientConnect(std::string_view name, int32_t slot);
  void ClientUserinfoChanged(std::string_view serverName, int32_t slot,
                             const std::string& name,
                             const std::string& htmlName,
                             const std::string& plainName,
                             const std::string& head, const std::string& model);
  void Kill(std::string_view name, int32_t killer, int32_t victim,
            int32_t code);
  void Score(std::string_view name, int32_t slot, int32_t score, int32_t ping);

 private:
  const ConfigFile& configFile_;
  ServerMap servers_;
};

}  // namespace kilnbook

#endif  // KILNBOOK_MODEL_SERVER_LIST_H_
