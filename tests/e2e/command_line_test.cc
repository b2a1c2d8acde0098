// The program's arguments, through the built binary: what each prints, its
// exit status, and that the ones that must write nothing leave every byte
// of the installation as it was.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "support/echo_stylesheet.h"
#include "support/run_program.h"
#include "support/temp_dir.h"
#include "support/unprivileged.h"

namespace kilnbook {
namespace {

constexpr const char kGame[] =
    "  0:00 InitGame: \\mapname\\mp_beach\n"
    "  0:01 ClientUserinfoChanged: 0 "
    "n\\Bob\\t\\1\\model\\multi_axis/a\\head\\a\n"
    "  0:05 Kill: 0 1022 17: Bob killed Bob by MOD_MP40\n"
    "  1:00 ShutdownGame:\n";

constexpr const char kConfig[] =
    "PATH www/\nSERVER_NAME Main\nLOGFILE logs/main.log\n";

// Every file and directory below `root`: type, mode, size, modification time
// and content (or a mark where the content cannot be read).
std::map<std::string, std::string> Snapshot(const std::string& root) {
  std::map<std::string, std::string> entries;
  for (const auto& entry :
       std::filesystem::recursive_directory_iterator(root)) {
    struct stat info;
    std::string path = entry.path().string();
    if (lstat(path.c_str(), &info) != 0) {
      continue;
    }
    std::string state = std::to_string(info.st_mode) + " " +
                        std::to_string(info.st_size) + " " +
                        std::to_string(info.st_mtim.tv_sec) + "." +
                        std::to_string(info.st_mtim.tv_nsec);
    if (S_ISREG(info.st_mode)) {
      state += " " + ReadFile(path);
    }
    entries[path.substr(root.size())] = state;
  }
  return entries;
}

void Append(const std::string& path, const std::string& text) {
  WriteFile(path, ReadFile(path) + text);
}

struct ArgumentCase {
  const char* name;
  std::vector<std::string> arguments;
  // Turns the good installation in site/ into a broken one.
  std::function<void()> breakSite;
  int exitStatus;
  std::vector<std::string> output;  // pieces of standard output, in order
  std::string error;                // a piece of standard error, or ""
};

// Names the case in the messages of a failed test.
void PrintTo(const ArgumentCase& test, std::ostream* out) { *out << test.name; }

class CommandLineTest : public TempDirTest {
 protected:
  // site/: an installation after one run, with one more finished game
  // waiting in its log and the half game after it.
  void SetUp() override {
    TempDirTest::SetUp();
    for (const char* directory : {"site", "site/www", "site/logs", "empty"}) {
      ASSERT_EQ(mkdir(directory, 0755), 0);
    }
    WriteFile("site/kilnbook.cfg", kConfig);
    for (const char* sheet :
         {"kilnbook.xsl", "kilnbook_front.xsl", "kilnbook_player.xsl",
          "kilnbook_ladder.xsl", "kilnbook_maps.xsl", "kilnbook_games.xsl",
          "kilnbook_game.xsl"}) {
      WriteFile(std::string("site/www/") + sheet, kEchoStylesheet);
    }
    WriteFile("site/logs/main.log", kGame);
    RunOptions options;
    options.workingDirectory = dir() + "/site";
    ASSERT_EQ(RunKilnbook(options).exitStatus, 0);
    WriteFile("site/logs/main.log",
              std::string(kGame) + "  0:00 InitGame: \\mapname\\mp_beach\n");
  }
};

const ArgumentCase kCases[] = {
    {"help", {"--help"}, nullptr, 0, {"Usage: kilnbook", "--metrics=FILE"}, ""},
    {"short help", {"-h", "--check"}, nullptr, 0, {"Usage: kilnbook"}, ""},
    {"version",
     {"--version"},
     nullptr,
     0,
     {"kilnbook 0.7.0", "\nlibxml2 "},
     ""},
    {"unknown option", {"--bogus"}, nullptr, 2, {}, "unknown option '--bogus'"},
    {"missing value",
     {"--metrics"},
     nullptr,
     2,
     {},
     "option --metrics needs a value"},
    {"empty value",
     {"-C", ""},
     nullptr,
     2,
     {},
     "option -C/--directory needs a value"},
    {"operand", {"site"}, nullptr, 2, {}, "unexpected argument 'site'"},
    {"check with report", {"--check", "--report"}, nullptr, 2, {}, "--check"},
    {"bad directory", {"-C", "nowhere"}, nullptr, 2, {}, "cannot enter"},
    {"no configuration",
     {"-C", "empty", "--check"},
     nullptr,
     1,
     {"kilnbook.cfg:\n  missing\n    error: "},
     ""},
    {"good installation",
     {"-C", "site", "--check"},
     nullptr,
     0,
     {"  line 1: PATH \"www/\"\n", "  line 3: LOGFILE \"logs/main.log\"\n",
      "  directory www/Main: exists, writable\n", "  log logs/main.log: ",
      "starts with InitGame; 1 finished game waiting\n",
      "  data file www/Main/kilnbook.dat: loads; 3 players, 1 game counted",
      "  www/kilnbook.xsl: compiles\n",
      "Summary: all is well; a run would do its job and count 1 finished "
      "game.\n"},
     ""},
    {"misspelt key",
     {"-C", "site", "--check"},
     [] { Append("site/kilnbook.cfg", "SEVER_ADDRESS 192.0.2.1\n"); },
     1,
     {"  line 4: no key, ignored\n    error: no key in \"SEVER_ADDRESS "
      "192.0.2.1\" (keys are upper case; SERVER_ADDRESS meant?)"},
     ""},
    {"key continued",
     {"-C", "site", "--check"},
     [] { Append("site/kilnbook.cfg", "MIN_KILLS2 5\n"); },
     1,
     {"  line 4: MIN_KILLS 5\n    error: MIN_KILLS is followed by '2' where "
      "one blank or '=' must separate it"},
     ""},
    {"two separators",
     {"-C", "site", "--check"},
     [] { Append("site/kilnbook.cfg", "LOGFILE = logs/main.log\n"); },
     1,
     {"  line 4: LOGFILE \"= logs/main.log\"\n    error: the value starts "
      "with '='"},
     ""},
    {"key inside a remark",
     {"-C", "site", "--check"},
     [] { Append("site/kilnbook.cfg", "# PATH must end with /\n"); },
     1,
     {"  line 4: PATH \"H must end with /\"\n    error: PATH is found inside "
      "the line"},
     ""},
    {"MULTI without its last blank",
     {"-C", "site", "--check"},
     [] {
       Append("site/kilnbook.cfg", "MULTI [N]Main [A]x [L]logs/main.log\n");
     },
     1,
     {"log \"logs/main.lo\"\n", "its last byte, 'g', is dropped"},
     ""},
    {"stylesheet error",
     {"-C", "site", "--check"},
     [] {
       WriteFile("site/www/kilnbook_player.xsl",
                 "<xsl:stylesheet version=\"1.0\" "
                 "xmlns:xsl=\"http://www.w3.org/1999/XSL/Transform\">\n"
                 "<xsl:template match=\"/\">\n"
                 "<xsl:value-of select=\"count((\"/>\n"
                 "</xsl:template>\n</xsl:stylesheet>\n");
     },
     1,
     {"  www/kilnbook_player.xsl: does not compile\n",
      "file www/kilnbook_player.xsl line 3"},
     ""},
    {"log not rewritable",
     {"-C", "site", "--check"},
     [] { chmod("site/logs/main.log", 0444); },
     1,
     {"  log logs/main.log: ", "readable, starts with InitGame",
      "write access to logs/main.log\n"},
     ""},
    {"PATH not writable",
     {"-C", "site", "--check"},
     [] {
       std::filesystem::remove_all("site/www/Main");
       chmod("site/www", 0555);
     },
     1,
     {"  directory www/Main: missing\n", "write access to www, or create"},
     ""},
    {"data file unreadable",
     {"-C", "site", "--check"},
     [] { chmod("site/www/Main/kilnbook.dat", 0); },
     1,
     {"  data file www/Main/kilnbook.dat: cannot be read\n",
      "read and write access to www/Main/kilnbook.dat\n"},
     ""},
    {"extended statistics damaged",
     {"-C", "site", "--check"},
     [] {
       Append("site/kilnbook.cfg", "EXTENDED_STATS 1\n");
       WriteFile("site/www/Main/kilnbook_extra.dat", "KILNBOOK_EXTRA|9\n");
     },
     1,
     {"  line 4: EXTENDED_STATS on\n",
      "www/Main/kilnbook_extra.dat: does not load\n",
      "  www/kilnbook_maps.xsl: compiles\n"},
     ""},
    {"kept games of another version",
     {"-C", "site", "--check"},
     [] {
       Append("site/kilnbook.cfg", "EXTENDED_STATS 1\nKEEP_GAMES 50\n");
       WriteFile("site/www/Main/kilnbook_games.dat", "KILNBOOK_GAMES|9\n");
     },
     1,
     {"  line 5: KEEP_GAMES 50\n",
      "  kept games www/Main/kilnbook_games.dat: does not load\n"},
     ""},
    {"KEEP_GAMES without EXTENDED_STATS",
     {"-C", "site", "--check"},
     [] { Append("site/kilnbook.cfg", "KEEP_GAMES -3\n"); },
     0,
     {"  line 4: KEEP_GAMES 0\n", "not used: EXTENDED_STATS is off\n"},
     ""},
    {"journal of another installation",
     {"-C", "site", "--check"},
     [] {
       WriteFile("site/www/Main/kilnbook.journal", "kilnbook journal 1\n");
     },
     1,
     {"www/Main/kilnbook.journal: an interrupted save is pending\n",
      "it does not match this server, so the run leaves the server alone; "
      "restore the configuration it was saved with, or remove it\n"},
     ""},
};

class ArgumentCaseTest : public CommandLineTest,
                         public ::testing::WithParamInterface<ArgumentCase> {};

TEST_P(ArgumentCaseTest, PrintsItsFindingAndWritesNothing) {
  const ArgumentCase& test = GetParam();
  if (test.breakSite) {
    test.breakSite();
  }
  std::map<std::string, std::string> before = Snapshot(dir());
  // Permissions must bind, so the program runs as nobody when the tests run
  // as root.
  AsUnprivileged(dir(), [&] {
    RunOptions options;
    options.workingDirectory = dir();
    options.arguments = test.arguments;
    RunResult result = RunKilnbook(options);
    EXPECT_EQ(result.exitStatus, test.exitStatus) << result.out << result.err;
    size_t at = 0;
    for (const std::string& piece : test.output) {
      at = result.out.find(piece, at);
      ASSERT_NE(at, std::string::npos) << piece << "\n---\n" << result.out;
    }
    if (test.error.empty()) {
      EXPECT_EQ(result.err, "");
    } else {
      EXPECT_EQ(result.out, "");
      EXPECT_NE(result.err.find("kilnbook: " + test.error), std::string::npos)
          << result.err;
    }
  });
  EXPECT_EQ(Snapshot(dir()), before);
}

INSTANTIATE_TEST_SUITE_P(
    Arguments, ArgumentCaseTest, ::testing::ValuesIn(kCases),
    [](const ::testing::TestParamInfo<ArgumentCase>& param) {
      std::string name = param.param.name;
      for (char& c : name) {
        if (c == ' ') {
          c = '_';
        }
      }
      return name;
    });

TEST_F(CommandLineTest, DirectoryOptionRunsThere) {
  std::map<std::string, std::string> before = Snapshot(dir() + "/site");
  RunOptions options;
  options.workingDirectory = dir() + "/empty";
  options.arguments = {"-C", "..", "--directory=site"};
  RunResult result = RunKilnbook(options);
  EXPECT_EQ(result.exitStatus, 0);
  EXPECT_EQ(result.out, "");
  EXPECT_EQ(result.err, "");
  EXPECT_TRUE(DirectoryEntries("empty").empty());
  EXPECT_EQ(ReadFile("site/kilnbook.tmp"), std::string(kGame) + "\n");
  EXPECT_NE(Snapshot(dir() + "/site"), before);
}

TEST_F(CommandLineTest, ReportAndMetricsFollowTheRun) {
  RunOptions options;
  options.workingDirectory = dir() + "/site";
  options.arguments = {"--report", "--metrics=../metrics/kilnbook.prom"};
  RunResult failed = RunKilnbook(options);
  EXPECT_EQ(failed.exitStatus, 1);
  EXPECT_NE(failed.err.find("cannot write the metrics file"),
            std::string::npos);
  ASSERT_EQ(mkdir("metrics", 0755), 0);
  RunResult result = RunKilnbook(options);
  EXPECT_EQ(result.exitStatus, 0);
  EXPECT_EQ(result.out, "");
  // The first run counted the waiting game; this one finds none.
  EXPECT_EQ(failed.err.substr(0, failed.err.find(" pages")),
            "kilnbook: server Main: 1 game counted, 3 players,");
  EXPECT_EQ(result.err.substr(0, result.err.find(" 0 bytes")),
            "kilnbook: server Main: 0 games counted, 3 players, pages 6 made / "
            "3 kept / 0 failed,");
  std::string metrics = ReadFile("metrics/kilnbook.prom");
  EXPECT_NE(metrics.find("kilnbook_games_counted_total{server=\"Main\"} 2\n"),
            std::string::npos)
      << metrics;
  EXPECT_EQ(DirectoryEntries("metrics"),
            std::vector<std::string>{"kilnbook.prom"});
}

}  // namespace
}  // namespace kilnbook
