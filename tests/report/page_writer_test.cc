// Page files written through real stylesheets in a temporary directory.
#include "report/page_writer.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>
#include <string>
#include <vector>

#include "config/file_names.h"
#include "report/player_xml.h"
#include "report/sort_type.h"
#include "report/summary_xml.h"
#include "support/echo_stylesheet.h"
#include "support/file_size_limit.h"
#include "support/run_program.h"
#include "support/temp_dir.h"

namespace kilnbook {
namespace {

TEST(PlayerPageFileNameTest, SlashesBecomeUnderscores) {
  struct Case {
    std::string plainName;
    std::string expected;
  } cases[] = {
      {"Bob", "Bob.html"},         {"", ".html"},
      {"..", "...html"},           {"../x", ".._x.html"},
      {"a/b", "a_b.html"},         {"/etc/passwd", "_etc_passwd.html"},
      {"a\\b", "a\\b.html"},       {std::string("a\0b", 3), "a_b.html"},
      {"Ren\xE9", "Ren\xE9.html"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(PlayerPageFileName(c.plainName), c.expected) << c.plainName;
  }
}

class PageWriterTest : public TempDirTest {
 protected:
  void SetUp() override {
    TempDirTest::SetUp();
    ASSERT_EQ(mkdir("out", 0755), 0);
    ASSERT_EQ(mkdir("out/Main", 0755), 0);
    ASSERT_EQ(mkdir("out/Main/kilnplayers", 0755), 0);
    WriteFile("out/kilnbook_player.xsl", kEchoStylesheet);
    WriteFile("out/kilnbook.xsl", kEchoStylesheet);
    WriteFile("out/kilnbook_front.xsl", kEchoStylesheet);
  }

  // Replaces the servers with ones built from `configText`.
  void Configure(const std::string& configText) {
    file_ = ConfigFile::FromText(configText);
    config_ = std::make_unique<Config>(file_);
    servers_ = std::make_unique<ServerList>(file_);
    servers_->AddServer("Main", "1.2.3.4", "g.log");
  }

  Server& main() { return *servers_->Find("Main"); }

  Player& Add(const std::string& name, const std::string& plainName,
              int32_t kills, int32_t score = 0) {
    PlayerStats stats;
    stats.plainName = plainName;
    stats.htmlName = plainName;
    stats.kills = kills;
    stats.score = score;
    Player& player = main().playerTable().ReplacePlayer(name);
    player.Restore(stats);
    return player;
  }

  // Output of the steps that StatsApp::Output and WriteFrontPage run.
  std::string WriteAllPages() {
    return CaptureStdout([&] {
      PlayerPages(*servers_, "Main", kPlayers);
      ReportContext context{*config_, file_, "Main", "1.2.3.4"};
      std::tm time{};
      for (SortType type : kSortTypes) {
        WriteMainPage(MainPagePath("out/", "Main", MainPageFileName(type)),
                      "out/kilnbook.xsl",
                      [&] { return MainXml(context, *servers_, type, time); });
      }
      WriteFrontPage("out/kilnbook.html", "out/kilnbook_front.xsl",
                     [&] { return FrontXml(context, *servers_, time); });
    });
  }

  const std::string kPlayers = "out/Main/kilnplayers/";
  ConfigFile file_ = ConfigFile::FromText("PATH out/\n");
  std::unique_ptr<Config> config_;
  std::unique_ptr<ServerList> servers_;
};

TEST_F(PageWriterTest, PrunedPlayersAreAbsentFromEveryPage) {
  Configure("PATH out/\nMIN_KILLS 1\nMIN_SCORE 0\nEXCLUDE_PLAYERS Zed\n");
  const Player& bob = Add("Bob", "Bob", 2);
  Add("Zed", "Zed", 5);
  Add("Low", "Low", 0);
  Add("Neg", "Neg", 4, -1);
  EXPECT_EQ(WriteAllPages(), "");
  EXPECT_EQ(DirectoryEntries(kPlayers), std::vector<std::string>{"Bob.html"});
  EXPECT_EQ(ReadFile(kPlayers + "Bob.html"), PlayerDocumentXml(bob));
  for (const char* page :
       {"out/Main/kilnbook.html", "out/Main/kilnbook_score.html",
        "out/Main/kilnbook_ratio.html", "out/Main/kilnbook_kills.html",
        "out/Main/kilnbook_deaths.html", "out/Main/kilnbook_suicides.html",
        "out/kilnbook.html"}) {
    std::string text = ReadFile(page);
    EXPECT_NE(text.find("<TOTALPLAYERS>1</TOTALPLAYERS>"), std::string::npos)
        << page;
    for (const char* gone : {"Zed", "Low", "Neg", "world_entity"}) {
      EXPECT_EQ(text.find(gone), std::string::npos) << page << " " << gone;
    }
  }
  EXPECT_NE(ReadFile("out/Main/kilnbook_kills.html").find("<NAME>Bob</NAME>"),
            std::string::npos);
}

TEST_F(PageWriterTest, HostileNamesStayInsideThePlayersDirectory) {
  Configure("PATH out/\nEXCLUDE_PLAYERS Player,world_entity\n");
  Add("A", "../x", 1);
  Add("B", "a/b", 1);
  Add("C", "", 1);
  Add("D", "/abs", 1);
  Add("E", "..", 1);
  EXPECT_EQ(WriteAllPages(), "");
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
TEST_F(PageWriterTest, MissingStylesheetLeavesItsPagesEmpty) {
  Configure("PATH out/\nEXCLUDE_PLAYERS Player,world_entity\n");
  Add("Ann", "Ann", 1);
  Add("Bob", "Bob", 1);
  const std::vector<std::string> playerPages = {kPlayers + "Ann.html",
                                                kPlayers + "Bob.html"};
  std::vector<std::string> mainPages;
  for (SortType type : kSortTypes) {
    mainPages.push_back("out/Main/" + std::string(MainPageFileName(type)));
  }
  const std::vector<std::string> frontPages = {"out/kilnbook.html"};
  const std::vector<std::string>* const allKinds[] = {&playerPages, &mainPages,
                                                      &frontPages};
  struct Case {
    const char* stylesheet;
    const char* message;
    const std::vector<std::string>* emptied;
  } cases[] = {
      {"out/kilnbook_player.xsl", "player", &playerPages},
      {"out/kilnbook.xsl", "main", allKinds[1]},
      {"out/kilnbook_front.xsl", "frontpage", &frontPages},
  };
  for (const Case& c : cases) {
    for (const auto* pages : allKinds) {
      for (const std::string& page : *pages) {
        WriteFile(page, "old page");
      }
    }
    ASSERT_EQ(unlink(c.stylesheet), 0);
    std::string expected;
    for (size_t i = 0; i < c.emptied->size(); ++i) {
      expected += std::string("Failed to generate detailed HTML for ") +
                  c.message + "\n";
    }
    EXPECT_EQ(WriteAllPages(), expected) << c.stylesheet;
    WriteFile(c.stylesheet, kEchoStylesheet);
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

TEST_F(PageWriterTest, UnopenablePagesAreSkipped) {
  Configure("PATH out/\nEXCLUDE_PLAYERS Player,world_entity\n");
  Add("Ann", "Ann", 1);
  Add("Bob", "Bob", 1);
  // A directory where a page belongs cannot be opened for writing, not even
  // by the superuser.
  ASSERT_EQ(mkdir((kPlayers + "Ann.html").c_str(), 0755), 0);
  ASSERT_EQ(mkdir("out/Main/kilnbook_score.html", 0755), 0);
  ASSERT_EQ(mkdir("out/kilnbook.html", 0755), 0);
  EXPECT_EQ(WriteAllPages(),
            "Failed to open main file: out/Main/kilnbook_score.html\n"
            "Failed to open front file: out/kilnbook.html\n");
  EXPECT_NE(ReadFile(kPlayers + "Bob.html"), "");
  EXPECT_NE(ReadFile("out/Main/kilnbook_ratio.html"), "");
}

// A visitor never gets half a page: the old page stays whole until the new
// one replaces it, and only a failed transformation leaves it empty.
TEST_F(PageWriterTest, PageIsOpenedFirstAndKeptWholeUntilReplaced) {
  WriteFile("out/Main/kilnbook.html", "old");
  bool built = false;
  std::string out = CaptureStdout([&] {
    WriteMainPage("out/Main/kilnbook.html", "out/missing.xsl", [&] {
      built = true;
      EXPECT_EQ(ReadFile("out/Main/kilnbook.html"), "old");
      return std::string("<?xml version=\"1.0\"?>\n<KILNBOOKS/>\n");
    });
  });
  EXPECT_TRUE(built);
  EXPECT_EQ(out, "Failed to generate detailed HTML for main\n");
  EXPECT_EQ(ReadFile("out/Main/kilnbook.html"), "");

  built = false;
  out = CaptureStdout([&] {
    WriteFrontPage("out/nowhere/kilnbook.html", "out/kilnbook_front.xsl", [&] {
      built = true;
      return std::string();
    });
  });
  EXPECT_FALSE(built);
  EXPECT_EQ(out, "Failed to open front file: out/nowhere/kilnbook.html\n");
}

// A full disk: every page keeps its previous content, and each failure names
// its page.
TEST_F(PageWriterTest, PageThatCannotBeWrittenKeepsItsOldContent) {
  Configure("PATH out/\nEXCLUDE_PLAYERS Player,world_entity\n");
  Add("Bob", "Bob", 1);
  std::vector<std::string> pages = {kPlayers + "Bob.html", "out/kilnbook.html"};
  for (SortType type : kSortTypes) {
    pages.push_back(MainPagePath("out/", "Main", MainPageFileName(type)));
  }
  std::string expected = "Failed to write page: " + pages[0] + "\n";
  for (size_t i = 2; i < pages.size(); ++i) {
    expected += "Failed to write page: " + pages[i] + "\n";
  }
  expected += "Failed to write page: out/kilnbook.html\n";
  for (const std::string& page : pages) {
    WriteFile(page, "old");
  }
  std::string out;
  {
    // Room for the messages, not for a page.
    FileSizeLimit limit(700);
    out = WriteAllPages();
  }
  EXPECT_EQ(out, expected);
  for (const std::string& page : pages) {
    EXPECT_EQ(ReadFile(page), "old") << page;
  }
  EXPECT_EQ(DirectoryEntries(kPlayers), std::vector<std::string>{"Bob.html"});
}

TEST_F(PageWriterTest, PagesAreCreatedWithMode0664UnderTheUmask) {
  Configure("PATH out/\nEXCLUDE_PLAYERS Player,world_entity\n");
  Add("Bob", "Bob", 1);
  mode_t previous = umask(0);
  std::string out = WriteAllPages();
  umask(previous);
  EXPECT_EQ(out, "");
  EXPECT_EQ(FileMode(kPlayers + "Bob.html"), 0664);
  EXPECT_EQ(FileMode("out/Main/kilnbook_suicides.html"), 0664);
  EXPECT_EQ(FileMode("out/kilnbook.html"), 0664);
}

TEST_F(PageWriterTest, OddBytesInOneNameDoNotBlankTheServer) {
  Configure("PATH out/\nEXCLUDE_PLAYERS Player,world_entity\n");
  Add("Ren\xE9", "Ren\xE9", 1);
  Add("Bad\x01",
      "Bad\x01"
      "Boy",
      1);
  Add("Bob", "Bob", 1);
  EXPECT_EQ(WriteAllPages(), "");
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

TEST_F(PageWriterTest, PlayerBelowThresholdsGetsNoPageAndNoMessage) {
  Configure("PATH out/\nMIN_SCORE 3\n");
  const Player& low = Add("Low", "Low", 1, 2);
  std::string out = CaptureStdout([&] { WritePlayerPage(low, kPlayers); });
  EXPECT_EQ(out, "");
  EXPECT_FALSE(FileExists(kPlayers + "Low.html"));
}

}  // namespace
}  // namespace kilnbook
