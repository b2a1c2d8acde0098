// One game server: its identity, its game counters and its players.
#ifndef KILNBOOK_MODEL_SERVER_H_
#define KILNBOOK_MODEL_SERVER_H_

#include <cstdint>
#include <string>

#include "config/config.h"
#include "config/config_file.h"
#include "log/log_event.h"
#include "model/player_table.h"

namespace kilnbook {

// The eleven counters a server keeps across runs; they wrap at 32 bits.
struct ServerCounters {
  int32_t REDSCORE = 0;       // sum of the red scores of "red:" lines
  int32_t BLUESCORE = 0;      // sum of the blue scores
  int32_t REDWIN = 0;         // games red won
  int32_t BLUEWIN = 0;        // games blue won
  int32_t CLIENTCONNECT = 0;  // "ClientConnect:" lines
  int32_t GAMESHUTDOWN = 0;   // "ShutdownGame:" lines
  int32_t GAMEEXIT = 0;       // "Exit:" lines
  int32_t GAMEINIT = 0;       // "InitGame:" lines
  int32_t KILLS = 0;          // "Kill:" lines, all of them
  int32_t TEAMKILLS = 0;      // kills between team-mates
  int32_t PING = 0;           // running average of all "score:" pings
};

class Server {
 public:
  // `configFile` is borrowed and must outlive the server.
  Server(std::string name, std::string address, std::string logFile,
         const ConfigFile& configFile);

  Server(const Server&) = delete;
  Server& operator=(const Server&) = delete;

  const std::string& name() const { return name_; }
  const std::string& address() const { return address_; }
  const std::string& logFile() const { return logFile_; }
  const ServerCounters& counters() const { return counters_; }
  const Config& config() const { return config_; }
  PlayerTable& playerTable() { return playerTable_; }
  const PlayerTable& playerTable() const { return playerTable_; }

  // Replaces all counters at once: the data file reader restores them.
  void RestoreCounters(const ServerCounters& counters) { counters_ = counters; }

  // Applies one log event by its kind: the game events below, the score
  // rule of a "red:" line (both scores count, the higher one wins, equal
  // scores count no win); kinds that carry nothing to count, and
  // Unrecognized ones, change nothing.
  void Account(const LogEvent& event);

  // Game events.
  void InitGame();
  void ShutdownGame();
  void Exit();
  void AddRedScore(int32_t score);
  void AddBlueScore(int32_t score);
  void RedWin();
  void BlueWin();
  void ClientConnect(int32_t slot);
  void ClientUserinfoChanged(int32_t slot, const std::string& name,
                             const std::string& htmlName,
                             const std::string& plainName,
                             const std::string& head, const std::string& model);
  void Kill(int32_t killer, int32_t victim, int32_t code);
  void Score(int32_t slot, int32_t score, int32_t ping);

  // Leaves out excluded players, then those below MIN_KILLS, then those
  // below MIN_SCORE, before the pages are written.
  void PrunePlayers();

 private:
  ServerCounters counters_;
  std::string name_;
  std::string address_;
  std::string logFile_;
  PlayerTable playerTable_;
  Config config_;
};

}  // namespace kilnbook

#endif  // KILNBOOK_MODEL_SERVER_H_
