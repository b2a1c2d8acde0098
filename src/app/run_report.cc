#include "app/run_report.h"

#include <cstdio>
#include <map>
#include <string_view>

#include "report/utf8_text.h"

namespace kilnbook {

namespace {

constexpr std::array<std::string_view, kRunStageCount> kStageNames = {
    "load", "log", "save", "pages"};

std::string Seconds(double seconds, const char* format) {
  char text[64];
  std::snprintf(text, sizeof text, format, seconds);
  return text;
}

std::string Plural(uint64_t count, std::string_view word) {
  return std::to_string(count) + " " + std::string(word) +
         (count == 1 ? "" : "s");
}

std::string ServerLine(const ServerReport& server) {
  std::string line = "kilnbook: server " + server.name + ": ";
  if (!server.saved) {
    line += "not saved (its games wait in the log)";
  } else {
    line += Plural(server.gamesCounted, "game") + " counted, " +
            Plural(server.players, "player");
    if (server.logFailed) {
      line += ", log not consumed (its games wait in it)";
    }
  }
  line += ", pages " + std::to_string(server.pages.made) + " made / " +
          std::to_string(server.pages.kept) + " kept / " +
          std::to_string(server.pages.failed) + " failed, " +
          std::to_string(server.logBytesConsumed) + " bytes of log consumed";
  for (size_t stage = 0; stage < kRunStageCount; ++stage) {
    line += stage == 0 ? "; " : ", ";
    line += std::string(kStageNames[stage]) + " " +
            Seconds(server.stageSeconds[stage], "%.3f") + " s";
  }
  return line + "\n";
}

// A label value of the text format: valid UTF-8 with backslash, double quote
// and line feed escaped.
std::string LabelValue(std::string_view text) {
  std::string value;
  for (char c : RepairedUtf8(text, Utf8Repair::kBytesOnly)) {
    if (c == '\\' || c == '"') {
      value += '\\';
      value += c;
    } else if (c == '\n') {
      value += "\\n";
    } else {
      value += c;
    }
  }
  return value;
}

// Builds the exposition one family at a time: HELP, TYPE, then its samples.
class Exposition {
 public:
  void Family(std::string_view name, std::string_view type,
              std::string_view help) {
    text_ += "# HELP " + std::string(name) + " " + std::string(help) + "\n";
    text_ += "# TYPE " + std::string(name) + " " + std::string(type) + "\n";
    name_ = name;
  }

  void Sample(const std::string& labels, const std::string& value) {
    text_ += std::string(name_);
    if (!labels.empty()) {
      text_ += "{" + labels + "}";
    }
    text_ += " " + value + "\n";
  }

  const std::string& text() const { return text_; }

 private:
  std::string text_;
  std::string_view name_;
};

std::string ServerLabel(const ServerReport& server) {
  return "server=\"" + LabelValue(server.name) + "\"";
}

void ServerFamilies(Exposition& out,
                    const std::vector<const ServerReport*>& servers) {
  out.Family("kilnbook_games_counted_total", "counter",
             "Finished games counted into the server's data file by all "
             "runs; absent when the last run could not save it.");
  for (const ServerReport* server : servers) {
    if (server->saved) {
      out.Sample(ServerLabel(*server), std::to_string(server->gamesTotal));
    }
  }
  out.Family("kilnbook_run_games_counted", "gauge",
             "Finished games counted by the last run.");
  for (const ServerReport* server : servers) {
    out.Sample(ServerLabel(*server), std::to_string(server->gamesCounted));
  }
  out.Family("kilnbook_players", "gauge",
             "Players in the server's data file; absent when the last run "
             "could not save it.");
  for (const ServerReport* server : servers) {
    if (server->saved) {
      out.Sample(ServerLabel(*server), std::to_string(server->players));
    }
  }
  out.Family("kilnbook_run_save_failures", "gauge",
             "1 when the last run could not save the server's finished "
             "games (its data file or its log could not be read or "
             "written): they wait in the log for a later run.");
  for (const ServerReport* server : servers) {
    bool failed = !server->saved || server->logFailed;
    out.Sample(ServerLabel(*server), failed ? "1" : "0");
  }
  out.Family("kilnbook_run_log_consumed_bytes", "gauge",
             "Bytes of finished games that the last run took out of the "
             "server's log.");
  for (const ServerReport* server : servers) {
    out.Sample(ServerLabel(*server), std::to_string(server->logBytesConsumed));
  }
}

void PageAndStageFamilies(Exposition& out,
                          const std::vector<const ServerReport*>& servers) {
  out.Family("kilnbook_run_pages", "gauge",
             "Pages of the last run: made, kept (their inputs did not "
             "change) or failed.");
  for (const ServerReport* server : servers) {
    std::string label = ServerLabel(*server) + ",result=";
    out.Sample(label + "\"made\"", std::to_string(server->pages.made));
    out.Sample(label + "\"kept\"", std::to_string(server->pages.kept));
    out.Sample(label + "\"failed\"", std::to_string(server->pages.failed));
  }
  out.Family("kilnbook_run_stage_duration_seconds", "gauge",
             "Time each stage of the server's turn took in the last run.");
  for (const ServerReport* server : servers) {
    for (size_t stage = 0; stage < kRunStageCount; ++stage) {
      out.Sample(ServerLabel(*server) + ",stage=\"" +
                     std::string(kStageNames[stage]) + "\"",
                 Seconds(server->stageSeconds[stage], "%.6f"));
    }
  }
}

}  // namespace

void RunReport::BeginServer(const std::string& name) {
  servers_.push_back(ServerReport{});
  servers_.back().name = name;
  gamesLoaded_ = 0;
  stageStart_ = std::chrono::steady_clock::now();
}

void RunReport::EndStage(RunStage stage) {
  auto now = std::chrono::steady_clock::now();
  if (!servers_.empty()) {
    servers_.back().stageSeconds[static_cast<size_t>(stage)] +=
        std::chrono::duration<double>(now - stageStart_).count();
  }
  stageStart_ = now;
}

void RunReport::NoteLoaded(const Server* server) {
  gamesLoaded_ = server == nullptr
                     ? 0
                     : static_cast<uint32_t>(server->counters().GAMESHUTDOWN);
}

void RunReport::NoteSaved(const Server& server, uint64_t logBytesConsumed) {
  if (servers_.empty()) {
    return;
  }
  ServerReport& report = servers_.back();
  report.saved = true;
  // The counter wraps at 32 bits, and so does the difference.
  report.gamesTotal = static_cast<uint32_t>(server.counters().GAMESHUTDOWN);
  report.gamesCounted = report.gamesTotal - gamesLoaded_;
  report.players = server.playerTable().players().size();
  report.logBytesConsumed = logBytesConsumed;
}

void RunReport::NoteLogFailed() {
  if (!servers_.empty()) {
    servers_.back().logFailed = true;
  }
}

void RunReport::NotePages(const PageCounts& pages) {
  if (!servers_.empty()) {
    servers_.back().pages = pages;
  }
}

std::string ReportText(const std::vector<ServerReport>& servers,
                       double runSeconds) {
  std::string text;
  for (const ServerReport& server : servers) {
    text += ServerLine(server);
  }
  return text + "kilnbook: run of " + Plural(servers.size(), "server") + ": " +
         Seconds(runSeconds, "%.3f") + " s\n";
}

std::string MetricsText(const std::vector<ServerReport>& servers,
                        double runSeconds, double endTime) {
  // One series per label set: a server configured twice shows its last turn.
  std::map<std::string_view, size_t> last;
  for (size_t i = 0; i < servers.size(); ++i) {
    last[servers[i].name] = i;
  }
  std::vector<const ServerReport*> unique;
  for (size_t i = 0; i < servers.size(); ++i) {
    if (last[servers[i].name] == i) {
      unique.push_back(&servers[i]);
    }
  }
  Exposition out;
  ServerFamilies(out, unique);
  PageAndStageFamilies(out, unique);
  out.Family("kilnbook_run_duration_seconds", "gauge",
             "Time the last run took.");
  out.Sample("", Seconds(runSeconds, "%.6f"));
  out.Family("kilnbook_last_run_timestamp_seconds", "gauge",
             "When the last run ended, in seconds since the epoch.");
  out.Sample("", Seconds(endTime, "%.3f"));
  return out.text();
}

}  // namespace kilnbook
