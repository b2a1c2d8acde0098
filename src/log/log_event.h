// One record per log line: its kind and the values its keyword carries.
#ifndef KILNBOOK_LOG_LOG_EVENT_H_
#define KILNBOOK_LOG_LOG_EVENT_H_

#include <cstdint>
#include <string>

namespace kilnbook {

// A value the line did not supply. Not -1, and not 1022, the slot number of
// the world entity.
inline constexpr int32_t UNSET = -1022;

// The kinds 0 to 11 are the indexes of the keyword table.
enum class LogEventKind : int32_t {
  Unrecognized = -1,
  InitGame = 0,
  ShutdownGame = 1,
  Exit = 2,
  Red = 3,
  ClientConnect = 4,
  ClientUserinfoChanged = 5,
  ClientBegin = 6,
  Kill = 7,
  Item = 8,
  Say = 9,
  ClientDisconnect = 10,
  Score = 11,
};

struct LogEvent {
  LogEventKind kind = LogEventKind::Unrecognized;
  int32_t redScore = UNSET;
  int32_t blueScore = UNSET;
  int32_t slot = UNSET;
  int32_t ping = UNSET;
  int32_t score = UNSET;
  int32_t killer = UNSET;
  int32_t victim = UNSET;
  int32_t meansOfDeath = UNSET;
  std::string name;       // cleaned name: the player's key
  std::string htmlName;   // name with colour markup
  std::string plainName;  // name without colour codes
  std::string model;      // team identifier: userinfo model up to its "/"
  std::string head;       // model identifier: userinfo head

  // Back to a fresh record of `newKind`. The strings keep their storage, so
  // that a reader reusing one record for every line allocates nothing.
  void Reset(LogEventKind newKind) {
    kind = newKind;
    redScore = blueScore = slot = ping = score = UNSET;
    killer = victim = meansOfDeath = UNSET;
    name.clear();
    htmlName.clear();
    plainName.clear();
    model.clear();
    head.clear();
  }
};

}  // namespace kilnbook

#endif  // KILNBOOK_LOG_LOG_EVENT_H_
