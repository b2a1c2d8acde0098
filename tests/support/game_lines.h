// Log lines in the game server's formats, and runs of the extended
// statistics over them, for the tests of the extended statistics.
#ifndef KILNBOOK_TESTS_SUPPORT_GAME_LINES_H_
#define KILNBOOK_TESTS_SUPPORT_GAME_LINES_H_

#include <cstdio>
#include <ctime>
#include <string>
#include <vector>

#include "extra/extra_stats.h"
#include "log/log_parser.h"

namespace kilnbook {

using Lines = std::vector<std::string>;

// A log line: the time right-aligned in the seven-byte column.
inline std::string Line(const char* time, const std::string& text) {
  char column[16];
  std::snprintf(column, sizeof column, "%6s ", time);
  return column + text;
}

inline std::string Init(const char* time, const std::string& map) {
  return Line(time, "InitGame: \\sv_hostname\\Main\\mapname\\" + map +
                        "\\sv_maxclients\\16");
}

inline std::string Userinfo(const char* time, int slot, const std::string& name,
                            const std::string& team = "multi") {
  return Line(time, "ClientUserinfoChanged: " + std::to_string(slot) + " n\\" +
                        name + "\\t\\1\\model\\" + team +
                        "/x\\head\\x\\c1\\1\\hc\\100");
}

inline std::string Kill(const char* time, int killer, int victim,
                        int code = 17) {
  return Line(time, "Kill: " + std::to_string(killer) + " " +
                        std::to_string(victim) + " " + std::to_string(code) +
                        ": a killed b by MOD_X");
}

inline std::string Disconnect(const char* time, int slot) {
  return Line(time, "ClientDisconnect: " + std::to_string(slot));
}

inline std::string Red(const char* time, int red, int blue) {
  return Line(time,
              "red:" + std::to_string(red) + "  blue:" + std::to_string(blue));
}

inline std::string ScoreLine(const char* time, int score, int slot) {
  return Line(time, "score: " + std::to_string(score) +
                        "  ping: 50  client: " + std::to_string(slot) + " x");
}

inline std::string Shutdown(const char* time) {
  return Line(time, "ShutdownGame:");
}

// One run over `lines`, as the run sequence feeds them.
inline void FeedRun(ExtraStats& stats, std::time_t runTime,
                    const Lines& lines) {
  stats.BeginRun(runTime);
  for (const std::string& line : lines) {
    if (line.size() > 7) {
      stats.AccountLine(line, LogParser::ParseLine(line));
    }
  }
  stats.EndRun();
}

// The lines of a log text, without line feeds.
inline Lines SplitLines(const std::string& text) {
  Lines lines;
  size_t start = 0;
  while (start < text.size()) {
    size_t end = text.find('\n', start);
    if (end == std::string::npos) {
      end = text.size();
    }
    lines.push_back(text.substr(start, end - start));
    start = end + 1;
  }
  return lines;
}

}  // namespace kilnbook

#endif  // KILNBOOK_TESTS_SUPPORT_GAME_LINES_H_
