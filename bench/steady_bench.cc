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
std::string OneGame(uint64_t seed) {
  LogOptions options;
  options.seed = seed;
  options.players = 24;
  options.targetBytes = 1;  // stops after the first game
  options.unfinishedTail = false;
  return LogGenerator(options).Text();
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

}  // namespace kilnbook
