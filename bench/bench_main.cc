// kilnbook_bench: generates logs and data files, and measures the program
// on them. Run from a release build; see bench/README.md.
//
//   kilnbook_bench loggen OUT [--mb N] [--players P] [--seed S] [--no-tail]
//   kilnbook_bench datgen OUT [--players N] [--seed S] [--server NAME]
//   kilnbook_bench docgen DIR [--players N]
//   kilnbook_bench transform STYLESHEET DOCUMENT [--reps N]
//   kilnbook_bench run [--sizes 10,40,100,1000] [--reps 3] [--dir DIR]
//                      [--steady-players 10000] [--history-games 1000]
//                      [--players 1000,10000] [--dat-players 50000]
//                      [--page-players 10000] [--page-reps 9]
//                      [--stylesheets DIR]
//   kilnbook_bench soak [--runs 1000] [--rate 400] [--blocks] [--gap MS]
//                       [--dir DIR] [--binary PATH]
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "dat_generator.h"
#include "live_soak.h"
#include "log_generator.h"
#include "measure.h"
#include "render_bench.h"
#include "report/stylesheet.h"
#include "steady_bench.h"
#include "store/fd.h"

namespace kilnbook {
namespace {

constexpr double kMegabyte = 1024.0 * 1024.0;

struct Args {
  std::vector<std::string> positional;
  std::string Value(const char* flag, const char* fallback) const {
    for (size_t i = 0; i + 1 < all.size(); ++i) {
      if (all[i] == flag) {
        return all[i + 1];
      }
    }
    return fallback;
  }
  bool Has(const char* flag) const {
    for (const std::string& arg : all) {
      if (arg == flag) {
        return true;
      }
    }
    return false;
  }
  std::vector<std::string> all;
};

std::vector<int> NumberList(const std::string& text) {
  std::vector<int> values;
  size_t start = 0;
  while (start <= text.size()) {
    size_t comma = text.find(',', start);
    if (comma == std::string::npos) {
      comma = text.size();
    }
    if (comma > start) {
      values.push_back(std::atoi(text.substr(start, comma - start).c_str()));
    }
    start = comma + 1;
  }
  return values;
}

int LogGen(const Args& args) {
  if (args.positional.empty()) {
    std::printf("usage: kilnbook_bench loggen OUT [--mb N] [--players P]\n");
    return 2;
  }
  LogOptions options;
  options.targetBytes = static_cast<uint64_t>(
      std::atof(args.Value("--mb", "10").c_str()) * kMegabyte);
  options.players = std::atoi(args.Value("--players", "64").c_str());
  options.seed = std::strtoull(args.Value("--seed", "1").c_str(), nullptr, 10);
  options.unfinishedTail = !args.Has("--no-tail");
  FILE* out = std::fopen(args.positional[0].c_str(), "wb");
  if (out == nullptr) {
    std::printf("cannot write %s\n", args.positional[0].c_str());
    return 1;
  }
  LogGenerator generator(options);
  bool ok = generator.Write(out);
  ok = std::fclose(out) == 0 && ok;
  std::printf("%s: %d finished games\n", args.positional[0].c_str(),
              generator.gamesWritten());
  return ok ? 0 : 1;
}

int DatGen(const Args& args) {
  if (args.positional.empty()) {
    std::printf("usage: kilnbook_bench datgen OUT [--players N]\n");
    return 2;
  }
  DatOptions options;
  options.players = std::atoi(args.Value("--players", "1000").c_str());
  options.seed = std::strtoull(args.Value("--seed", "1").c_str(), nullptr, 10);
  options.serverName = args.Value("--server", "Bench");
  return WriteText(args.positional[0], DatText(options)) ? 0 : 1;
}

// The documents of the page rows, for profiling a stylesheet with xsltproc:
// DIR/main.xml (sorted by score) and DIR/player.xml (the busiest player).
int DocGen(const Args& args) {
  if (args.positional.empty()) {
    std::printf("usage: kilnbook_bench docgen DIR [--players N]\n");
    return 2;
  }
  int players = std::atoi(args.Value("--players", "10000").c_str());
  const std::string& dir = args.positional[0];
  mkdir(dir.c_str(), 0755);
  bool ok = WriteText(dir + "/main.xml",
                      GeneratedMainDocument(players, SortType::SCORE));
  ok =
      WriteText(dir + "/player.xml", GeneratedBusiestPlayerDocument(players)) &&
      ok;
  return ok ? 0 : 1;
}

// Median seconds of transforming DOCUMENT with the compiled STYLESHEET, as
// the page rows measure it; for comparing versions of a stylesheet.
int TransformCommand(const Args& args) {
  if (args.positional.size() < 2) {
    std::printf(
        "usage: kilnbook_bench transform STYLESHEET DOCUMENT [--reps N]\n");
    return 2;
  }
  Stylesheet stylesheet = Stylesheet::Load(args.positional[0]);
  std::string document = ReadAll(args.positional[1]).value_or("");
  std::string page = stylesheet.Transform(document);
  if (page.empty()) {
    std::printf("the transformation failed\n");
    return 1;
  }
  int reps = std::atoi(args.Value("--reps", "9").c_str());
  std::vector<double> times;
  for (int rep = 0; rep < reps; ++rep) {
    double start = Now();
    stylesheet.Transform(document);
    times.push_back(Now() - start);
  }
  std::printf("%.4f s median of %d (min %.4f s), %zu bytes\n", Median(times),
              reps, *std::min_element(times.begin(), times.end()), page.size());
  return 0;
}

// One working directory laid out for a run of the program.
struct Installation {
  std::string dir;
  std::string DatPath() const { return dir + "/out/Bench/kilnbook.dat"; }
  std::string LogPath() const { return dir + "/bench.log"; }
};

// `listAll` false prunes every player from the pages, so only the stages
// before Output are measured (the six main pages then fail fast without
// stylesheets and list nobody).
Installation Install(const std::string& dir, bool listAll) {
  Installation installation{dir};
  mkdir(dir.c_str(), 0755);
  mkdir((dir + "/out").c_str(), 0755);
  std::string config = "PATH out/\nSERVER_NAME Bench\nLOGFILE bench.log\n";
  if (!listAll) {
    config += "MIN_KILLS 2000000000\n";
  }
  WriteText(dir + "/kilnbook.cfg", config);
  return installation;
}

void PrintHeader() {
  std::printf("%-22s %-14s %9s %12s %9s %7s %10s  %s\n", "scenario", "input",
              "median", "rate", "floor", "ratio", "peak RSS", "target");
}

void PrintRow(const char* scenario, const std::string& input, double seconds,
              const std::string& rate, double floor, long peakKilobytes,
              const char* target) {
  char floorText[32] = "-";
  char ratioText[32] = "-";
  if (floor > 0) {
    std::snprintf(floorText, sizeof(floorText), "%.3f s", floor);
    std::snprintf(ratioText, sizeof(ratioText), "%.2fx", seconds / floor);
  }
  // Short times (one page) in milliseconds.
  char timeText[32];
  if (seconds < 0.1) {
    std::snprintf(timeText, sizeof(timeText), "%6.2f ms", seconds * 1000);
  } else {
    std::snprintf(timeText, sizeof(timeText), "%7.3f s", seconds);
  }
  std::printf("%-22s %-14s %9s %12s %9s %7s %7.1f MB  %s\n", scenario,
              input.c_str(), timeText, rate.c_str(), floorText, ratioText,
              peakKilobytes / 1024.0, target);
  std::fflush(stdout);
}

long PeakKilobytes() {
  struct rusage usage {};
  getrusage(RUSAGE_SELF, &usage);
  return usage.ru_maxrss;
}

std::string Rate(double amount, double seconds, const char* unit) {
  char text[32];
  std::snprintf(text, sizeof(text), "%.1f %s",
                seconds > 0 ? amount / seconds : 0, unit);
  return text;
}

void LogStage(const std::string& binary, const std::string& root, int megabytes,
              int reps) {
  Installation inst = Install(root + "/log" + std::to_string(megabytes), false);
  std::string pristine = inst.dir + "/pristine.log";
  LogOptions options;
  options.targetBytes = static_cast<uint64_t>(megabytes * kMegabyte);
  FILE* out = std::fopen(pristine.c_str(), "wb");
  if (out == nullptr) {
    return;
  }
  LogGenerator(options).Write(out);
  std::fclose(out);
  double bytes = static_cast<double>(FileSize(pristine));
  std::vector<double> times, floors;
  long peak = 0;
  for (int rep = 0; rep < reps; ++rep) {
    CopyFile(pristine, inst.LogPath());
    unlink(inst.DatPath().c_str());
    floors.push_back(IoFloorSeconds(inst.LogPath(), inst.dir + "/floor.tmp"));
    Measurement m = RunProgram(binary, inst.dir);
    if (!m.ok) {
      std::printf("run failed\n");
    }
    times.push_back(m.seconds);
    peak = std::max(peak, m.peakKilobytes);
  }
  PrintRow("log stage, 64 players", std::to_string(megabytes) + " MB log",
           Median(times), Rate(bytes / kMegabyte, Median(times), "MB/s"),
           Median(floors), peak, "<= 3x floor; RSS < 64 MB at 1000 MB");
  unlink(pristine.c_str());
  unlink(inst.LogPath().c_str());
}

void DataFile(const std::string& binary, const std::string& root, int players,
              int reps) {
  Installation inst = Install(root + "/dat", false);
  DatOptions options;
  options.players = players;
  std::string text = DatText(options);
  std::vector<double> times;
  long peak = 0;
  for (int rep = 0; rep < reps; ++rep) {
    mkdir((inst.dir + "/out/Bench").c_str(), 0755);
    WriteText(inst.DatPath(), text);
    WriteText(inst.LogPath(), "");
    Measurement m = RunProgram(binary, inst.dir);
    times.push_back(m.seconds);
    peak = std::max(peak, m.peakKilobytes);
  }
  char input[32];
  std::snprintf(input, sizeof(input), "%d players", players);
  PrintRow("data file load+save", input, Median(times),
           Rate(text.size() / kMegabyte, Median(times), "MB/s"), 0, peak,
           "<= 0.4 s; RSS <= 120 MB");
}

// The main page (sorted by score) and the player pages of `players`
// generated players, through compiled stylesheets.
void PageRows(const std::string& stylesheets, int players, int pageReps,
              int reps) {
  char input[32];
  PageResult main = BenchMainPage(stylesheets, players, pageReps);
  std::snprintf(input, sizeof(input), "%d players", main.players);
  PrintRow("main page, compiled", input, main.seconds, "-", 0, PeakKilobytes(),
           "<= 0.15 s");
  PageResult player = BenchPlayerPage(stylesheets, players, pageReps, reps);
  PrintRow("player page, busiest", "1 player", player.seconds, "-", 0,
           PeakKilobytes(), "cheap");
  std::snprintf(input, sizeof(input), "%d pages", player.players);
  PrintRow("player page, average", input, player.averageSeconds,
           Rate(1, player.averageSeconds, "pages/s"), 0, PeakKilobytes(),
           "cheap");
}

int RunAll(const Args& args) {
  std::string root = args.Value("--dir", "bench-work");
  int reps = std::atoi(args.Value("--reps", "3").c_str());
  std::string binary = args.Value("--binary", KILNBOOK_BINARY);
  std::string stylesheets =
      args.Value("--stylesheets", KILNBOOK_SOURCE_DIR "/stylesheets");
  mkdir(root.c_str(), 0755);
  PrintHeader();
  for (int megabytes : NumberList(args.Value("--sizes", "10,40,100,1000"))) {
    LogStage(binary, root, megabytes, reps);
  }
  int datPlayers = std::atoi(args.Value("--dat-players", "50000").c_str());
  if (datPlayers > 0) {
    DataFile(binary, root, datPlayers, reps);
  }
  for (int players : NumberList(args.Value("--players", "1000,10000"))) {
    RenderResult r = BenchRender(root + "/render", stylesheets, players, reps);
    char input[32];
    std::snprintf(input, sizeof(input), "%d players", players);
    PrintRow("player pages", input, r.loopSeconds,
             Rate(r.pages, r.loopSeconds, "pages/s"), r.floorSeconds,
             r.peakKilobytes, "<= 1.25x bare libxslt");
  }
  int steadyPlayers =
      std::atoi(args.Value("--steady-players", "10000").c_str());
  if (steadyPlayers > 0) {
    SteadyResult steady =
        BenchSteadyRuns(binary, root, stylesheets, steadyPlayers, reps);
    char input[48];
    std::snprintf(input, sizeof(input), "%d players", steadyPlayers);
    PrintRow("first run, all pages", input, steady.firstSeconds,
             Rate(steady.listed, steady.firstSeconds, "pages/s"), 0,
             steady.peakKilobytes, "<= 6 s");
    PrintRow("run, nothing new", input, steady.idleSeconds, "-", 0,
             steady.peakKilobytes, "<= 1 s");
    PrintRow("run, one 24-player game", input, steady.oneGameSeconds, "-", 0,
             steady.peakKilobytes, "<= 1.5 s");
  }
  int historyGames = std::atoi(args.Value("--history-games", "1000").c_str());
  if (steadyPlayers > 0 && historyGames > 0) {
    HistoryResult history = BenchHistoryRuns(binary, root, stylesheets,
                                             steadyPlayers, historyGames, reps);
    char input[64];
    std::snprintf(input, sizeof(input), "%d players, %d games", steadyPlayers,
                  historyGames);
    PrintRow("run, one game, games kept", input, history.oneGameSeconds, "-", 0,
             history.peakKilobytes, "<= 1.65 s");
  }
  int pagePlayers = std::atoi(args.Value("--page-players", "10000").c_str());
  int pageReps = std::atoi(args.Value("--page-reps", "9").c_str());
  if (pagePlayers > 0) {
    PageRows(stylesheets, pagePlayers, pageReps, reps);
  }
  return 0;
}

int Soak(const Args& args) {
  SoakOptions options;
  options.binary = args.Value("--binary", KILNBOOK_BINARY);
  options.directory = args.Value("--dir", "/tmp/kilnbook-soak");
  options.runs = std::atoi(args.Value("--runs", "1000").c_str());
  options.linesPerSecond = std::atoi(args.Value("--rate", "400").c_str());
  options.wholeLines = !args.Has("--blocks");
  options.gapMilliseconds = std::atoi(args.Value("--gap", "100").c_str());
  return LiveSoak(options);
}

}  // namespace
}  // namespace kilnbook

int main(int argc, char** argv) {
  kilnbook::Args args;
  for (int i = 2; i < argc; ++i) {
    args.all.push_back(argv[i]);
  }
  for (size_t i = 0; i < args.all.size(); ++i) {
    if (args.all[i].rfind("--", 0) == 0) {
      if (args.all[i] != "--no-tail" && args.all[i] != "--blocks") {
        ++i;
      }
      continue;
    }
    args.positional.push_back(args.all[i]);
  }
  std::string command = argc > 1 ? argv[1] : "";
  if (command == "loggen") {
    return kilnbook::LogGen(args);
  }
  if (command == "datgen") {
    return kilnbook::DatGen(args);
  }
  if (command == "transform") {
    return kilnbook::TransformCommand(args);
  }
  if (command == "docgen") {
    return kilnbook::DocGen(args);
  }
  if (command == "run") {
    return kilnbook::RunAll(args);
  }
  if (command == "soak") {
    return kilnbook::Soak(args);
  }
  std::printf(
      "usage: kilnbook_bench loggen|datgen|docgen|transform|run|soak ...\n");
  return 2;
}
