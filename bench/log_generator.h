// Writes realistic game-server logs in the server's own line formats, for
// benchmarks, fuzz seeds and crash tests.
#ifndef KILNBOOK_BENCH_LOG_GENERATOR_H_
#define KILNBOOK_BENCH_LOG_GENERATOR_H_

#include <cstdint>
#include <cstdio>
#include <string>
#include <string_view>
#include <vector>

#include "random.h"

namespace kilnbook {

struct LogOptions {
  uint64_t seed = 1;
  int players = 64;                // client slots 0 .. players-1, at most 64
  uint64_t targetBytes = 1 << 20;  // finished games are written until this
  int killsPerGame = 400;
  bool unfinishedTail = true;  // end with a game that has no ShutdownGame
};

// The lines of a log without the empty ones (a last line without its line
// feed included): what runs of the program keep of it, whatever empty lines
// each run adds.
std::vector<std::string_view> NonEmptyLines(std::string_view text);

// The same options always give the same bytes. Every game has connects,
// colour-coded userinfo lines, team switches, kills (world kills from slot
// 1022, suicides, team kills), items, chat, an exit, the red/blue line,
// score lines and "ShutdownGame:".
class LogGenerator {
 public:
  explicit LogGenerator(const LogOptions& options);

  // Writes the whole log to `out`; false when a write fails.
  bool Write(FILE* out);

  // The log as one string; for small logs in tests.
  std::string Text();

  // Finished games written by the last Write or Text.
  int gamesWritten() const { return gamesWritten_; }

 private:
  struct Client {
    std::string name;   // as typed, with colour codes
    std::string plain;  // as the kill messages print it
    int team = 1;       // 1 axis, 2 allies
    int score = 0;
    int model = 0;
  };

  void Generate();
  void Game(bool finished);
  void Connect(int slot);
  void Userinfo(int slot);
  void KillLine();
  void EndOfGame();
  void Line(const char* format, ...) __attribute__((format(printf, 2, 3)));
  void Flush();
  std::string NewName();

  LogOptions options_;
  Random random_;
  std::vector<Client> clients_;
  std::vector<std::string> pool_;
  std::string buffer_;
  FILE* out_ = nullptr;
  std::string* text_ = nullptr;
  uint64_t written_ = 0;
  bool failed_ = false;
  int seconds_ = 0;
  int gamesWritten_ = 0;
};

}  // namespace kilnbook

#endif  // KILNBOOK_BENCH_LOG_GENERATOR_H_
