// The two texts of a run's report, compared whole.
#include "app/run_report.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace kilnbook {
namespace {

std::vector<ServerReport> TwoServers() {
  ServerReport main;
  main.name = "Main";
  main.saved = true;
  main.gamesCounted = 2;
  main.gamesTotal = 4000000000u;  // beyond int32: the counter wrapped
  main.players = 1;
  main.logBytesConsumed = 4711;
  main.pages = {9, 1, 0};
  main.stageSeconds = {0.001, 0.0025, 0.5, 1.25};
  ServerReport odd;
  // A quote, a backslash and a Latin-1 byte: escaped, and made UTF-8.
  odd.name = "F\"i\\sh\xE9";
  odd.logFailed = true;
  return {main, odd};
}

TEST(RunReportTest, ReportLinesSayWhatEachServerGot) {
  EXPECT_EQ(ReportText(TwoServers(), 2.0),
            "kilnbook: server Main: 2 games counted, 1 player, pages 9 made / "
            "1 kept / 0 failed, 4711 bytes of log consumed; load 0.001 s, log "
            "0.003 s, save 0.500 s, pages 1.250 s\n"
            "kilnbook: server F\"i\\sh\xE9: not saved (its games wait in the "
            "log), pages 0 made / 0 kept / 0 failed, 0 bytes of log consumed; "
            "load 0.000 s, log 0.000 s, save 0.000 s, pages 0.000 s\n"
            "kilnbook: run of 2 servers: 2.000 s\n");
}

TEST(RunReportTest, MetricsAreOneSeriesPerServerAndLabelSet) {
  std::vector<ServerReport> servers = TwoServers();
  // Configured twice: its last turn counts.
  servers.insert(servers.begin(), servers[0]);
  servers[0].gamesCounted = 99;
  std::string metrics = MetricsText(servers, 2.0, 1700000000.5);
  const std::string odd = "{server=\"F\\\"i\\\\sh\xC3\xA9\"";
  EXPECT_EQ(
      metrics,
      "# HELP kilnbook_games_counted_total Finished games counted into the "
      "server's data file by all runs; absent when the last run could not "
      "save it.\n"
      "# TYPE kilnbook_games_counted_total counter\n"
      "kilnbook_games_counted_total{server=\"Main\"} 4000000000\n"
      "# HELP kilnbook_run_games_counted Finished games counted by the last "
      "run.\n"
      "# TYPE kilnbook_run_games_counted gauge\n"
      "kilnbook_run_games_counted{server=\"Main\"} 2\n"
      "kilnbook_run_games_counted" +
          odd +
          "} 0\n"
          "# HELP kilnbook_players Players in the server's data file; absent "
          "when "
          "the last run could not save it.\n"
          "# TYPE kilnbook_players gauge\n"
          "kilnbook_players{server=\"Main\"} 1\n"
          "# HELP kilnbook_run_save_failures 1 when the last run could not "
          "save "
          "the server's finished games (its data file or its log could not be "
          "read or written): they wait in the log for a later run.\n"
          "# TYPE kilnbook_run_save_failures gauge\n"
          "kilnbook_run_save_failures{server=\"Main\"} 0\n"
          "kilnbook_run_save_failures" +
          odd +
          "} 1\n"
          "# HELP kilnbook_run_log_consumed_bytes Bytes of finished games that "
          "the last run took out of the server's log.\n"
          "# TYPE kilnbook_run_log_consumed_bytes gauge\n"
          "kilnbook_run_log_consumed_bytes{server=\"Main\"} 4711\n"
          "kilnbook_run_log_consumed_bytes" +
          odd +
          "} 0\n"
          "# HELP kilnbook_run_pages Pages of the last run: made, kept (their "
          "inputs did not change) or failed.\n"
          "# TYPE kilnbook_run_pages gauge\n"
          "kilnbook_run_pages{server=\"Main\",result=\"made\"} 9\n"
          "kilnbook_run_pages{server=\"Main\",result=\"kept\"} 1\n"
          "kilnbook_run_pages{server=\"Main\",result=\"failed\"} 0\n"
          "kilnbook_run_pages" +
          odd +
          ",result=\"made\"} 0\n"
          "kilnbook_run_pages" +
          odd +
          ",result=\"kept\"} 0\n"
          "kilnbook_run_pages" +
          odd +
          ",result=\"failed\"} 0\n"
          "# HELP kilnbook_run_stage_duration_seconds Time each stage of the "
          "server's turn took in the last run.\n"
          "# TYPE kilnbook_run_stage_duration_seconds gauge\n"
          "kilnbook_run_stage_duration_seconds{server=\"Main\",stage=\"load\"} "
          "0.001000\n"
          "kilnbook_run_stage_duration_seconds{server=\"Main\",stage=\"log\"} "
          "0.002500\n"
          "kilnbook_run_stage_duration_seconds{server=\"Main\",stage=\"save\"} "
          "0.500000\n"
          "kilnbook_run_stage_duration_seconds{server=\"Main\",stage=\"pages\"}"
          " "
          "1.250000\n"
          "kilnbook_run_stage_duration_seconds" +
          odd +
          ",stage=\"load\"} 0.000000\n"
          "kilnbook_run_stage_duration_seconds" +
          odd +
          ",stage=\"log\"} 0.000000\n"
          "kilnbook_run_stage_duration_seconds" +
          odd +
          ",stage=\"save\"} 0.000000\n"
          "kilnbook_run_stage_duration_seconds" +
          odd +
          ",stage=\"pages\"} 0.000000\n"
          "# HELP kilnbook_run_duration_seconds Time the last run took.\n"
          "# TYPE kilnbook_run_duration_seconds gauge\n"
          "kilnbook_run_duration_seconds 2.000000\n"
          "# HELP kilnbook_last_run_timestamp_seconds When the last run ended, "
          "in "
          "seconds since the epoch.\n"
          "# TYPE kilnbook_last_run_timestamp_seconds gauge\n"
          "kilnbook_last_run_timestamp_seconds 1700000000.500\n");
}

}  // namespace
}  // namespace kilnbook
