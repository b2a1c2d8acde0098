// What a run did per server, and its two forms: lines for a person (--report)
// and Prometheus' text format for a monitoring system (--metrics).
#ifndef KILNBOOK_APP_RUN_REPORT_H_
#define KILNBOOK_APP_RUN_REPORT_H_

#include <array>
#include <chrono>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "model/server.h"
#include "report/page_renderer.h"

namespace kilnbook {

// The stages of a server's turn, in run order.
enum class RunStage { kLoad, kLog, kSave, kPages };
inline constexpr size_t kRunStageCount = 4;

struct ServerReport {
  std::string name;
  // The statistics were saved (or their save is journaled and finished by
  // the next run): the games counted below are in the data file. When not,
  // the games wait in the log and the totals are unknown.
  bool saved = false;
  // The log could not be read or rewritten: its games wait in it.
  bool logFailed = false;
  uint32_t gamesCounted = 0;  // ShutdownGame events this run counted
  uint32_t gamesTotal = 0;    // the data file's GAMESHUTDOWN counter
  uint64_t players = 0;       // players in the data file
  uint64_t logBytesConsumed = 0;
  PageCounts pages;
  std::array<double, kRunStageCount> stageSeconds{};
};

// Filled by the run at a few points of each server's turn; costs a clock
// reading per stage, so every run keeps one.
class RunReport {
 public:
  // Starts a server's turn and the clock of its first stage.
  void BeginServer(const std::string& name);

  // The current stage ended now; the next one starts.
  void EndStage(RunStage stage);

  // The server's statistics as loaded (null: the server is not registered).
  void NoteLoaded(const Server* server);

  // They were saved as `server` holds them now, with the first
  // `logBytesConsumed` bytes of the log counted.
  void NoteSaved(const Server& server, uint64_t logBytesConsumed);

  void NoteLogFailed();

  void NotePages(const PageCounts& pages);

  const std::vector<ServerReport>& servers() const { return servers_; }

 private:
  std::vector<ServerReport> servers_;
  uint32_t gamesLoaded_ = 0;
  std::chrono::steady_clock::time_point stageStart_;
};

// One line per server for standard error, then one for the whole run:
//   kilnbook: server Main: 2 games counted, 5 players, pages 9 made / 0 kept /
//   0 failed, 4711 bytes of log consumed; load 0.001 s, log 0.002 s, save
//   0.003 s, pages 0.040 s
//   kilnbook: run of 1 server: 0.052 s
// (each on one line).
std::string ReportText(const std::vector<ServerReport>& servers,
                       double runSeconds);

// The Prometheus text exposition of the run, ended at `endTime` (seconds
// since the epoch). Server names become the label "server" (as UTF-8; bytes
// that are not are read as Latin-1); a name that appears twice keeps its last
// turn.
std::string MetricsText(const std::vector<ServerReport>& servers,
                        double runSeconds, double endTime);

}  // namespace kilnbook

#endif  // KILNBOOK_APP_RUN_REPORT_H_
