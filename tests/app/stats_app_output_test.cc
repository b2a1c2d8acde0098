// The pages of runs made in this process: which players get pages, where,
// and what a broken stylesheet costs.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <functional>
#include <string>
#include <vector>

#include "app/stats_app.h"
#include "config/file_names.h"
#include "support/echo_stylesheet.h"
#include "support/run_program.h"
#include "support/temp_dir.h"

namespace kilnbook {
namespace {

const std::string kPlayers = "out/Main/kilnplayers/";

class StatsAppOutputTest : public TempDirTest {
 protected:
  void SetUp() override {
    TempDirTest::SetUp();
    ASSERT_EQ(mkdir("out", 0755), 0);
    for (const char* name :
         {kPlayerStylesheetName, kMainStylesheetName, kFrontStylesheetName}) {
      WriteFile(std::string("out/") + name, kEchoStylesheet);
    }
    WriteFile("g.log", "");
  }

  // A run with `settings` over the players that `add` gives the server;
  // what it printed.
  std::string Run(const std::string& settings,
                  const std::function<void(Server&)>& add) {
    WriteFile("kilnbook.cfg",
              "PATH out/\nSERVER_NAME Main\nLOGFILE g.log\n" + settings);
    return CaptureStdout([&] {
      StatsApp app;
      add(*app.serverList().Find("Main"));
      app.OutputInternal();
    });
  }

  static void Add(Server& server, const std::string& name,
                  const std::string& plainName, int32_t kills,
                  int32_t score = 0) {
    PlayerStats stats;
    stats.plainName = plainName;
    stats.htmlName = plainName;
    stats.kills = kills;
    stats.score = score;
    server.playerTable().ReplacePlayer(name).Restore(stats);
  }

  static std::vector<std::string> MainPages() {
    std::vector<std::string> pages;
    for (SortType type : kSortTypes) {
      pages.push_back(MainPagePath("out/", "Main", MainPageFileName(type)));
    }
    return pages;
  }
};

TEST_F(StatsAppOutputTest, PrunedPlayersAreAbsentFromEveryPage) {
  std::string out =
      Run("MIN_KILLS 1\nMIN_SCORE 0\nEXCLUDE_PLAYERS Zed\n", [](Server& s) {
        Add(s, "Bob", "Bob", 2);
        Add(s, "Zed", "Zed", 5);
        Add(s, "Low", "Low", 0);
        Add(s, "Neg", "Neg", 4, -1);
      });
  EXPECT_EQ(out, "");
  EXPECT_EQ(DirectoryEntries(kPlayers), std::vector<std::string>{"Bob.html"});
  EXPECT_NE(ReadFile(kPlayers + "Bob.html").find("<NAME>Bob</NAME>"),
            std::string::npos);
  std::vector<std::string> pages = MainPages();
  pages.push_back("out/kilnbook.html");
  for (const std::string& page : pages) {
    std::string text = ReadFile(page);
    EXPECT_NE(text.find("<TOTALPLAYERS>1</TOTALPLAYERS>"), std::string::npos)
        << page;
    for (const char* gone : {"Zed", "Low", "Neg", "world_entity"}) {
      EXPECT_EQ(text.find(gone), std::string::npos) << page << " " << gone;
    }
  }
}

TEST_F(StatsAppOutputTest, HostileNamesStayInsideThePlayersDirectory) {
  std::string out = Run("EXCLUDE_PLAYERS Player,world_entity\n", [](Server& s) {
    Add(s, "A", "../x", 1);
    Add(s, "B", "a/b", 1);
    Add(s, "C", "", 1);
    Add(s, "D", "/abs", 1);
    Add(s, "E", "..", 1);
  });
  EXPECT_EQ(out, "");
  EXPECT_EQ(DirectoryEntries(kPlayers),
            (std::vector<std::string>{"...html", ".._x.html", ".html",
                                      "_abs.html", "a_b.html"}));
  EXPECT_FALSE(FileExists("out/Main/x.html"));
  EXPECT_FALSE(FileExists("out/x.html"));
  EXPECT_NE(ReadFile(kPlayers + ".html").find("<NAME>C</NAME>"),
            std::string::npos);
}

// A missing stylesheet empties the old pages of its own kind only, with one
// message per page.
TEST_F(StatsAppOutputTest, MissingStylesheetLeavesItsPagesEmpty) {
  const std::vector<std::string> playerPages = {kPlayers + "Ann.html",
                                                kPlayers + "Bob.html"};
  const std::vector<std::string> mainPages = MainPages();
  const std::vector<std::string> frontPages = {"out/kilnbook.html"};
  const std::vector<std::string>* const allKinds[] = {&playerPages, &mainPages,
                                                      &frontPages};
  struct Case {
    const char* stylesheet;
    const char* message;
    const std::vector<std::string>* emptied;
  } cases[] = {
      {kPlayerStylesheetName, "player", &playerPages},
      {kMainStylesheetName, "main", &mainPages},
      {kFrontStylesheetName, "frontpage", &frontPages},
  };
  for (const Case& c : cases) {
    for (const auto* pages : allKinds) {
      for (const std::string& page : *pages) {
        WriteFile(page, "old page");
      }
    }
    std::string stylesheet = std::string("out/") + c.stylesheet;
    ASSERT_EQ(unlink(stylesheet.c_str()), 0);
    std::string expected;
    for (size_t i = 0; i < c.emptied->size(); ++i) {
      expected += std::string("Failed to generate detailed HTML for ") +
                  c.message + "\n";
    }
    EXPECT_EQ(Run("EXCLUDE_PLAYERS Player,world_entity\n",
                  [](Server& s) {
                    Add(s, "Ann", "Ann", 1);
                    Add(s, "Bob", "Bob", 1);
                  }),
              expected)
        << c.stylesheet;
    WriteFile(stylesheet, kEchoStylesheet);
    for (const auto* pages : allKinds) {
      for (const std::string& page : *pages) {
        std::string text = ReadFile(page);
        if (pages == c.emptied) {
          EXPECT_EQ(text, "") << c.stylesheet << ": " << page;
        } else {
          EXPECT_NE(text.find("<KILNBOOKS>"), std::string::npos)
              << c.stylesheet << ": " << page;
        }
      }
    }
  }
}

TEST_F(StatsAppOutputTest, OddBytesInOneNameDoNotBlankTheServer) {
  std::string out = Run("EXCLUDE_PLAYERS Player,world_entity\n", [](Server& s) {
    Add(s, "Ren\xE9", "Ren\xE9", 1);
    Add(s, "Bad\x01",
        "Bad\x01"
        "Boy",
        1);
    Add(s, "Bob", "Bob", 1);
  });
  EXPECT_EQ(out, "");
  std::string main = ReadFile("out/Main/kilnbook.html");
  EXPECT_NE(main.find("<PLAINNAME>Ren\xC3\xA9</PLAINNAME>"), std::string::npos);
  EXPECT_NE(main.find("<PLAINNAME>Bad?Boy</PLAINNAME>"), std::string::npos);
  EXPECT_NE(main.find("<PLAINNAME>Bob</PLAINNAME>"), std::string::npos);
  EXPECT_NE(ReadFile(kPlayers + "Ren\xE9.html").find("Ren\xC3\xA9"),
            std::string::npos);
  EXPECT_NE(ReadFile(kPlayers + "Bad\x01"
                                "Boy.html")
                .find("Bad?Boy"),
            std::string::npos);
}

}  // namespace
}  // namespace kilnbook
