// Whole runs of the built program with stylesheets that echo their input,
// so the pages expose the documents they were made from.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <regex>
#include <string>

#include "support/echo_stylesheet.h"
#include "support/expected_xml.h"
#include "support/run_program.h"
#include "support/temp_dir.h"

namespace kilnbook {
namespace {

// The clock is not the test's: LAST_RUN is checked for its form and then
// replaced by "T".
std::string WithoutLastRun(const std::string& page) {
  static const std::regex kLastRun(
      "<LAST_RUN>[0-9][0-9]:[0-9][0-9] [0-9]{1,2}/[0-9]{1,2}-[0-9]{4}"
      "</LAST_RUN>");
  return std::regex_replace(page, kLastRun, "<LAST_RUN>T</LAST_RUN>");
}

size_t Count(const std::string& text, const std::string& piece) {
  size_t count = 0;
  for (size_t at = text.find(piece); at != std::string::npos;
       at = text.find(piece, at + 1)) {
    ++count;
  }
  return count;
}

const std::string kZeroCounters = CounterLinesXml(
    {"0", "0", "0", "0", "0", "0", "0", "0", "0", "0", "0", "2"});

// The two players every server starts with.
std::string DefaultPlayer(const std::string& name) {
  return PlayerStatsXml(name, "", "", {"0", "0", "0", "0", "0", "0", "0", "0"});
}

class ReportRunTest : public TempDirTest {
 protected:
  void SetUp() override {
    TempDirTest::SetUp();
    ASSERT_EQ(mkdir("out", 0755), 0);
    WriteFile("out/kilnbook.xsl", kEchoStylesheet);
    WriteFile("out/kilnbook_front.xsl", kEchoStylesheet);
    WriteFile("out/kilnbook_player.xsl", kEchoStylesheet);
    WriteFile("game.log", "");
  }

  RunResult Run() {
    RunOptions options;
    options.workingDirectory = dir();
    return RunKilnbook(options);
  }

  static constexpr const char kConfig[] =
      "PATH out/\nSERVER_NAME Main\nSERVER_ADDRESS 1.2.3.4\nLOGFILE game.log\n"
      "ADMIN_NICK Admin\nADMIN_EMAIL admin@example.org\nADMIN_ICQ 42\n";
};

TEST_F(ReportRunTest, SingleServerRunWritesEveryDocument) {
  WriteFile("kilnbook.cfg", kConfig);
  RunResult result = Run();
  EXPECT_EQ(result.exitStatus, 0);
  EXPECT_EQ(result.err, "");
  EXPECT_EQ(result.out.find("HTML"), std::string::npos) << result.out;

  std::string info = InfoAndRulesXml("42", "Admin", "admin@example.org",
                                     "1.2.3.4", "Main", "T", "0", "0");
  std::string players = "<PLAYERS>\n" + DefaultPlayer("Player") +
                        "</PLAYER>\n" + DefaultPlayer("world_entity") +
                        "</PLAYER>\n</PLAYERS>\n";
  std::string stats =
      "\t<SERVERSTATS>\n" + kZeroCounters + "\t</SERVERSTATS>\n";
  const char* const sortLines[] = {"NONE",  "SCORE",  "RATIO",
                                   "KILLS", "DEATHS", "SUICIDES"};
  const char* const pages[] = {
      "out/Main/kilnbook.html",        "out/Main/kilnbook_score.html",
      "out/Main/kilnbook_ratio.html",  "out/Main/kilnbook_kills.html",
      "out/Main/kilnbook_deaths.html", "out/Main/kilnbook_suicides.html"};
  for (int i = 0; i < 6; ++i) {
    std::string page = ReadFile(pages[i]);
    EXPECT_NE(page, WithoutLastRun(page)) << "LAST_RUN form in " << pages[i];
    EXPECT_EQ(WithoutLastRun(page), std::string(kDocumentHead) + "\t<SORT_BY>" +
                                        sortLines[i] + "</SORT_BY>\n" + info +
                                        stats + WeaponsSection() + players +
                                        "</KILNBOOKS>\n")
        << pages[i];
  }

  std::string front = ReadFile("out/kilnbook.html");
  EXPECT_EQ(WithoutLastRun(front),
            kDocumentHead + info +
                "<SERVERS>\n\t<SERVER>\n\t\t<SERVERNAME>Main</SERVERNAME>\n"
                "\t\t<SERVERADDRESS>1.2.3.4</SERVERADDRESS>\n" +
                kZeroCounters + "\t</SERVER>\n</SERVERS>\n</KILNBOOKS>\n");

  // Both players have an empty plain name; the later one in name order
  // wins the shared page.
  EXPECT_EQ(ReadFile("out/Main/kilnplayers/.html"),
            kDocumentHead + WeaponsSection() + DefaultPlayer("world_entity") +
                kEmptyDetailBlocks + "</KILNBOOKS>\n");
}

TEST_F(ReportRunTest, BrokenStylesheetsAreReportedOnStandardOutputOnly) {
  WriteFile("kilnbook.cfg", kConfig);
  WriteFile("out/kilnbook_player.xsl", "<xsl:stylesheet");
  WriteFile("out/kilnbook_front.xsl", "<?xml version=\"1.0\"?>\n<x/>\n");
  RunResult result = Run();
  EXPECT_EQ(result.exitStatus, 0);
  EXPECT_EQ(result.err, "");
  // One player page for the two players with the empty plain name, written
  // twice.
  EXPECT_EQ(Count(result.out, "Failed to generate detailed HTML for player\n"),
            2u)
      << result.out;
  EXPECT_EQ(
      Count(result.out, "Failed to generate detailed HTML for frontpage\n"), 1u)
      << result.out;
  EXPECT_EQ(ReadFile("out/kilnbook.html"), "");
  EXPECT_NE(ReadFile("out/Main/kilnbook_kills.html"), "");
}

TEST_F(ReportRunTest, FrontPageListsServersByNameAndNamesTheLastOne) {
  WriteFile("kilnbook.cfg",
            "PATH out/\n"
            "MULTI [N]Second [A]2.2.2.2 [L]game.log \n"
            "MULTI [N]First [A]1.1.1.1 [L]game.log \n");
  RunResult result = Run();
  EXPECT_EQ(result.exitStatus, 0);
  std::string front = ReadFile("out/kilnbook.html");
  EXPECT_NE(front.find("\t\t<SERVER_NAME>First</SERVER_NAME>\n"),
            std::string::npos)
      << front;
  size_t first = front.find("<SERVERNAME>First</SERVERNAME>");
  size_t second = front.find("<SERVERNAME>Second</SERVERNAME>");
  ASSERT_NE(first, std::string::npos);
  ASSERT_NE(second, std::string::npos);
  EXPECT_LT(first, second);
  EXPECT_EQ(front.find("SORT_BY"), std::string::npos);
  // Each server's main pages name their own server.
  EXPECT_NE(ReadFile("out/Second/kilnbook_ratio.html")
                .find("<SERVER_NAME>Second</SERVER_NAME>"),
            std::string::npos);
}

TEST_F(ReportRunTest, WithoutConfigurationPagesStayInWorkingDirectory) {
  WriteFile("kilnbook.xsl", kEchoStylesheet);
  WriteFile("kilnbook_front.xsl", kEchoStylesheet);
  WriteFile("kilnbook_player.xsl", kEchoStylesheet);
  RunResult result = Run();
  EXPECT_EQ(result.exitStatus, 0);
  EXPECT_EQ(result.err, "");
  EXPECT_EQ(result.out.rfind("Failed to open cfg file (kilnbook.cfg).\n", 0),
            0u)
      << result.out;
  // The server directory is the working directory, so the front page,
  // written last, replaces the main page of the same name.
  std::string front = ReadFile("kilnbook.html");
  EXPECT_NE(front.find("<SERVERS>"), std::string::npos) << front;
  EXPECT_NE(ReadFile("kilnbook_deaths.html").find("DEATHS</SORT_BY>"),
            std::string::npos);
  EXPECT_TRUE(FileExists("kilnplayers/.html"));
  EXPECT_FALSE(FileExists("/kilnplayers"));
}

}  // namespace
}  // namespace kilnbook
