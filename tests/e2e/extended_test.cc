// Whole runs with and without EXTENDED_STATS: off (absent or 0) nothing of
// it exists and every document keeps its bytes; on, its state accumulates
// across runs and its documents, pages and feed appear.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <algorithm>
#include <map>
#include <regex>
#include <string>
#include <utility>
#include <vector>

#include "log_generator.h"
#include "support/echo_stylesheet.h"
#include "support/run_program.h"
#include "support/temp_dir.h"

namespace kilnbook {
namespace {

std::string WithoutLastRun(const std::string& page) {
  static const std::regex kLastRun("<LAST_RUN>[^<]*</LAST_RUN>");
  return std::regex_replace(page, kLastRun, "<LAST_RUN/>");
}

std::string Games(uint64_t seed) {
  LogOptions options;
  options.seed = seed;
  options.players = 6;
  options.killsPerGame = 20;
  options.targetBytes = 4000;
  return LogGenerator(options).Text();
}

class ExtendedRunTest : public TempDirTest {
 protected:
  // An installation in `name` whose configuration ends with `extra`.
  std::string Install(const std::string& name, const std::string& extra) {
    std::string path = dir() + "/" + name;
    EXPECT_EQ(mkdir(path.c_str(), 0755), 0);
    EXPECT_EQ(mkdir((path + "/out").c_str(), 0755), 0);
    WriteFile(path + "/kilnbook.cfg",
              "PATH out/\nSERVER_NAME Main\nLOGFILE g.log\n" + extra);
    for (const char* sheet :
         {"kilnbook.xsl", "kilnbook_front.xsl", "kilnbook_player.xsl",
          "kilnbook_ladder.xsl", "kilnbook_maps.xsl", "kilnbook_games.xsl",
          "kilnbook_game.xsl"}) {
      WriteFile(path + "/out/" + sheet, kEchoStylesheet);
    }
    WriteFile(path + "/g.log", Games(5));
    return path;
  }

  static RunResult Run(const std::string& path) {
    RunOptions options;
    options.workingDirectory = path;
    return RunKilnbook(options);
  }
};

TEST_F(ExtendedRunTest, OffChangesNothing) {
  std::string plain = Install("plain", "");
  ASSERT_EQ(Run(plain).out, "");
  const std::vector<std::string> files = DirectoryEntries(plain + "/out/Main");
  for (const char* off : {"EXTENDED_STATS 0\n", "EXTENDED_STATS no\n"}) {
    std::string path = Install(std::string("off") + off[15], off);
    RunResult result = Run(path);
    EXPECT_EQ(result.out, "") << off;
    EXPECT_EQ(DirectoryEntries(path + "/out/Main"), files) << off;
    for (std::string page :
         {"out/kilnbook.html", "out/Main/kilnbook.html",
          "out/Main/kilnbook.dat", "out/Main/kilnplayers/Medic.html"}) {
      EXPECT_EQ(WithoutLastRun(ReadFile(path + "/" + page)),
                WithoutLastRun(ReadFile(plain + "/" + page)))
          << off << page;
    }
  }
  for (const std::string& file : files) {
    EXPECT_TRUE(file.find("extra") == std::string::npos &&
                file.find("games") == std::string::npos &&
                file.find("kilngames") == std::string::npos &&
                file.find("json") == std::string::npos &&
                file.find("ladder") == std::string::npos &&
                file.find("maps") == std::string::npos)
        << file;
  }
}

TEST_F(ExtendedRunTest, OnAccumulatesAcrossRuns) {
  std::string path = Install("on", "EXTENDED_STATS 1\n");
  ASSERT_EQ(Run(path).out, "");
  std::string state = ReadFile(path + "/out/Main/kilnbook_extra.dat");
  ASSERT_EQ(state.rfind("KILNBOOK_EXTRA|1\n", 0), 0u) << state;
  std::string main = ReadFile(path + "/out/Main/kilnbook.html");
  for (const char* block : {"<ACTIVITY>", "<RATING>", "<MAPS>", "<HISTORY>"}) {
    EXPECT_NE(main.find(block), std::string::npos) << block;
  }
  EXPECT_NE(ReadFile(path + "/out/kilnbook.html").find("<HISTORY>"),
            std::string::npos);
  EXPECT_EQ(ReadFile(path + "/out/Main/kilnbook_ladder.html"), main);
  EXPECT_NE(
      ReadFile(path + "/out/Main/kilnbook.json").find("\"schema_version\""),
      std::string::npos);

  // The same games again: the state grows (more games on the same day).
  WriteFile(path + "/g.log", Games(5));
  ASSERT_EQ(Run(path).out, "");
  std::string grown = ReadFile(path + "/out/Main/kilnbook_extra.dat");
  EXPECT_NE(grown, state);
  std::string games = ReadFile(path + "/out/Main/kilnbook_games.dat");
  ASSERT_EQ(games.rfind("KILNBOOK_GAMES|1\nNEXT|", 0), 0u) << games;
  EXPECT_NE(games.find("\nGAM|1|"), std::string::npos);

  // A state file of another format is reported and left alone, and so is
  // the other one: the server's extended statistics sit the run out.
  const std::pair<const char*, const char*> newer[] = {
      {"kilnbook_extra.dat", "KILNBOOK_EXTRA|99\n"},
      {"kilnbook_games.dat", "KILNBOOK_GAMES|99\n"}};
  for (const auto& [file, text] : newer) {
    std::string saved = ReadFile(path + "/out/Main/" + file);
    WriteFile(path + "/out/Main/" + file, text);
    std::string other = ReadFile(path + "/out/Main/kilnbook_extra.dat") +
                        ReadFile(path + "/out/Main/kilnbook_games.dat");
    WriteFile(path + "/g.log", Games(6));
    EXPECT_EQ(Run(path).out,
              std::string("Failed to open datfile 'out/Main/") + file + "'\n");
    EXPECT_EQ(ReadFile(path + "/out/Main/kilnbook_extra.dat") +
                  ReadFile(path + "/out/Main/kilnbook_games.dat"),
              other)
        << file;
    WriteFile(path + "/out/Main/" + file, saved);
  }
}

TEST_F(ExtendedRunTest, KeepGamesLimitsTheGamesKept) {
  std::string path = Install("kept", "EXTENDED_STATS 1\nKEEP_GAMES 2\n");
  ASSERT_EQ(Run(path).out, "");
  WriteFile(path + "/g.log", Games(6));
  ASSERT_EQ(Run(path).out, "");
  std::string games = ReadFile(path + "/out/Main/kilnbook_games.dat");
  // Two games, numbered on from the first run's.
  std::regex kept("\nGAM\\|([0-9]+)\\|");
  std::vector<std::string> numbers;
  for (auto it = std::sregex_iterator(games.begin(), games.end(), kept);
       it != std::sregex_iterator(); ++it) {
    numbers.push_back((*it)[1]);
  }
  ASSERT_EQ(numbers.size(), 2u) << games;
  EXPECT_NE(numbers[0], "1") << games;
}

// The game pages of a run, by file name, with what tells a rewritten file.
std::map<std::string, std::pair<ino_t, int64_t>> GamePages(
    const std::string& path) {
  std::map<std::string, std::pair<ino_t, int64_t>> pages;
  std::string directory = path + "/out/Main/kilngames";
  for (const std::string& name : DirectoryEntries(directory)) {
    struct stat info {};
    EXPECT_EQ(stat((directory + "/" + name).c_str(), &info), 0) << name;
    pages[name] = {info.st_ino,
                   static_cast<int64_t>(info.st_mtim.tv_sec) * 1000000000 +
                       info.st_mtim.tv_nsec};
  }
  return pages;
}

// "N.html" for every game the games state keeps.
std::vector<std::string> KeptGamePages(const std::string& path) {
  std::string games = ReadFile(path + "/out/Main/kilnbook_games.dat");
  std::regex kept("\nGAM\\|([0-9]+)\\|");
  std::vector<std::string> pages;
  for (auto it = std::sregex_iterator(games.begin(), games.end(), kept);
       it != std::sregex_iterator(); ++it) {
    pages.push_back((*it)[1].str() + ".html");
  }
  std::sort(pages.begin(), pages.end());
  return pages;
}

std::vector<std::string> Names(
    const std::map<std::string, std::pair<ino_t, int64_t>>& pages) {
  std::vector<std::string> names;
  for (const auto& [name, identity] : pages) {
    names.push_back(name);
  }
  return names;
}

// Each run makes the pages of the games it counted and no other; a game
// that falls out of the kept games loses its page; a new stylesheet makes
// every kept game's page anew.
TEST_F(ExtendedRunTest, GamePagesAreMadeOnceAndGoWithTheirGames) {
  std::string path = Install("pages", "EXTENDED_STATS 1\nKEEP_GAMES 4\n");
  ASSERT_EQ(Run(path).out, "");
  auto first = GamePages(path);
  ASSERT_EQ(Names(first), KeptGamePages(path));
  ASSERT_GE(first.size(), 2u);
  EXPECT_NE(ReadFile(path + "/out/Main/kilngames/" + first.begin()->first)
                .find("<GAMEWEAPONS>"),
            std::string::npos);
  EXPECT_NE(ReadFile(path + "/out/Main/kilnbook_games.html").find("<RECORDS>"),
            std::string::npos);
  // A page that no game has is not the run's to remove.
  WriteFile(path + "/out/Main/kilngames/notes.html", "mine");

  struct Step {
    std::string log;
    bool newStylesheet;
  };
  const Step steps[] = {
      {Games(6), false}, {"", false}, {Games(7), false}, {"", true}};
  for (const Step& step : steps) {
    WriteFile(path + "/g.log", step.log);
    if (step.newStylesheet) {
      WriteFile(path + "/out/kilnbook_game.xsl",
                std::string(kEchoStylesheet) + "<!-- new -->\n");
    }
    std::vector<std::string> before = KeptGamePages(path);
    ASSERT_EQ(Run(path).out, "");
    auto pages = GamePages(path);
    ASSERT_EQ(pages.count("notes.html"), 1u);
    pages.erase("notes.html");
    std::vector<std::string> kept = KeptGamePages(path);
    EXPECT_EQ(Names(pages), kept) << step.log.size();
    size_t made = 0;
    for (const auto& [name, identity] : pages) {
      bool wasKept = std::binary_search(before.begin(), before.end(), name);
      bool remade = !first.count(name) || first.at(name) != identity;
      made += remade ? 1 : 0;
      EXPECT_EQ(remade, !wasKept || step.newStylesheet) << name;
    }
    size_t counted = 0;
    for (const std::string& name : kept) {
      counted += std::binary_search(before.begin(), before.end(), name) ? 0 : 1;
    }
    EXPECT_EQ(made, step.newStylesheet ? kept.size() : counted);
    first = pages;
  }
}

}  // namespace
}  // namespace kilnbook
