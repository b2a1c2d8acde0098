#include "steady_bench.h"

#include <dirent.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "dat_generator.h"
#include "log_generator.h"
#include "measure.h"

namespace kilnbook {

namespace {

// Removes the files of a directory (not recursing); returns how many.
int EmptyDirectory(const std::string& directory) {
  int removed = 0;
  if (DIR* listing = opendir(directory.c_str())) {
    while (const dirent* entry = readdir(listing)) {
      std::string name = entry->d_name;
      if (name != "." && name != ".." &&
          unlink((directory + "/" + name).c_str()) == 0) {
        ++removed;
      }
    }
    closedir(listing);
  }
  return removed;
}

// One finished game of 24 players, different for every `seed`.
std::string OneGame(uint64_t seed, int kills = 400) {
  LogOptions options;
  options.seed = seed;
  options.players = 24;
  options.targetBytes = 1;  // stops after the first game
  options.killsPerGame = kills;
  options.unfinishedTail = false;
  return LogGenerator(options).Text();
}

// The default stylesheets that exist in `stylesheets`, copied into `out`.
void CopyStylesheets(const std::string& stylesheets, const std::string& out) {
  for (const char* sheet :
       {"kilnbook.xsl", "kilnbook_front.xsl", "kilnbook_player.xsl",
        "kilnbook_ladder.xsl", "kilnbook_maps.xsl", "kilnbook_games.xsl",
        "kilnbook_game.xsl"}) {
    struct stat info;
    if (stat((stylesheets + "/" + sheet).c_str(), &info) == 0) {
      CopyFile(stylesheets + "/" + sheet, out + "/" + sheet);
    }
  }
}

}  // namespace

SteadyResult BenchSteadyRuns(const std::string& binary, const std::string& root,
                             const std::string& stylesheets, int players,
                             int reps) {
  std::string dir = root + "/steady";
  std::string server = dir + "/out/Bench";
  mkdir(dir.c_str(), 0755);
  mkdir((dir + "/out").c_str(), 0755);
  mkdir(server.c_str(), 0755);
  WriteText(dir + "/kilnbook.cfg",
            "PATH out/\nSERVER_NAME Bench\nLOGFILE bench.log\n");
  for (const char* sheet :
       {"kilnbook.xsl", "kilnbook_front.xsl", "kilnbook_player.xsl"}) {
    CopyFile(stylesheets + "/" + sheet, dir + "/out/" + sheet);
  }
  DatOptions options;
  options.players = players;
  const std::string data = DatText(options);

  SteadyResult result;
  std::vector<double> first, idle, oneGame;
  auto run = [&](std::vector<double>& times) {
    sync();  // no rep waits on the write-back of the one before
    Measurement m = RunProgram(binary, dir);
    if (!m.ok) {
      std::printf("run failed\n");
    }
    times.push_back(m.seconds);
    result.peakKilobytes = std::max(result.peakKilobytes, m.peakKilobytes);
  };
  for (int rep = 0; rep < reps; ++rep) {
    // A server seen for the first time: no pages, no cache.
    EmptyDirectory(server + "/kilnplayers");
    unlink((server + "/kilnbook.pages").c_str());
    WriteText(server + "/kilnbook.dat", data);
    WriteText(dir + "/bench.log", "");
    run(first);
  }
  result.listed = EmptyDirectory(server + "/kilnplayers");
  WriteText(server + "/kilnbook.dat", data);
  unlink((server + "/kilnbook.pages").c_str());
  RunProgram(binary, dir);
  for (int rep = 0; rep < reps; ++rep) {
    run(idle);
  }
  for (int rep = 0; rep < reps; ++rep) {
    WriteText(dir + "/bench.log", OneGame(static_cast<uint64_t>(100 + rep)));
    run(oneGame);
  }
  result.firstSeconds = Median(first);
  result.idleSeconds = Median(idle);
  result.oneGameSeconds = Median(oneGame);
  return result;
}

HistoryResult BenchHistoryRuns(const std::string& binary,
                               const std::string& root,
                               const std::string& stylesheets, int players,
                               int games, int reps) {
  std::string dir = root + "/history";
  std::string server = dir + "/out/Bench";
  mkdir(dir.c_str(), 0755);
  mkdir((dir + "/out").c_str(), 0755);
  mkdir(server.c_str(), 0755);
  WriteText(dir + "/kilnbook.cfg",
            "PATH out/\nSERVER_NAME Bench\nLOGFILE bench.log\n"
            "EXTENDED_STATS 1\n");
  CopyStylesheets(stylesheets, dir + "/out");
  for (const char* sub : {"/kilnplayers", "/kilngames"}) {
    EmptyDirectory(server + sub);
  }
  for (const char* file : {"/kilnbook.pages", "/kilnbook_extra.dat",
                           "/kilnbook_games.dat", "/kilnbook.json"}) {
    unlink((server + file).c_str());
  }
  DatOptions options;
  options.players = players;
  WriteText(server + "/kilnbook.dat", DatText(options));
  // The history: `games` games of 24 players and 60 kills, taken by one run
  // that makes every page.
  std::string log;
  for (int game = 0; game < games; ++game) {
    log += OneGame(static_cast<uint64_t>(1000 + game), 60);
  }
  WriteText(dir + "/bench.log", log);
  HistoryResult result;
  sync();
  Measurement setup = RunProgram(binary, dir);
  result.setupSeconds = setup.seconds;
  std::vector<double> oneGame;
  for (int rep = 0; rep < reps; ++rep) {
    WriteText(dir + "/bench.log", OneGame(static_cast<uint64_t>(100 + rep)));
    sync();
    Measurement m = RunProgram(binary, dir);
    if (!m.ok) {
      std::printf("run failed\n");
    }
    oneGame.push_back(m.seconds);
    result.peakKilobytes = std::max(result.peakKilobytes, m.peakKilobytes);
  }
  result.oneGameSeconds = Median(oneGame);
  return result;
}

}  // namespace kilnbook
