// Runs that render only the player pages whose documents changed: the pages
// left alone are still byte for byte those of a full rendering.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <map>
#include <string>

#include "config/file_names.h"
#include "log_generator.h"
#include "report/render_cache.h"
#include "support/echo_stylesheet.h"
#include "support/run_program.h"
#include "support/temp_dir.h"

namespace kilnbook {
namespace {

const char kPlayers[] = "out/Main/kilnplayers";

class RenderRunTest : public TempDirTest {
 protected:
  void SetUp() override {
    TempDirTest::SetUp();
    ASSERT_EQ(mkdir("out", 0755), 0);
    WriteFile("kilnbook.cfg", "PATH out/\nSERVER_NAME Main\nLOGFILE g.log\n");
    WriteFile("out/kilnbook.xsl", kEchoStylesheet);
    WriteFile("out/kilnbook_front.xsl", kEchoStylesheet);
    WriteFile("out/kilnbook_player.xsl", kEchoStylesheet);
  }

  void Run() {
    RunOptions options;
    options.workingDirectory = dir();
    RunResult result = RunKilnbook(options);
    ASSERT_EQ(result.exitStatus, 0);
    EXPECT_EQ(result.out, "");
  }

  // Every player page: its content and identity.
  static std::map<std::string, std::pair<std::string, PageIdentity>> Pages() {
    std::map<std::string, std::pair<std::string, PageIdentity>> pages;
    for (const std::string& name : DirectoryEntries(kPlayers)) {
      std::string path = std::string(kPlayers) + "/" + name;
      pages[name] = {ReadFile(path), PageIdentity::Of(path).value()};
    }
    return pages;
  }

  static std::string Games(uint64_t seed, int players) {
    LogOptions options;
    options.seed = seed;
    options.players = players;
    options.killsPerGame = 30;
    options.targetBytes = 3000;
    options.unfinishedTail = false;
    return LogGenerator(options).Text();
  }
};

TEST_F(RenderRunTest, OnlyChangedPlayerPagesAreWrittenAgain) {
  WriteFile("g.log", Games(3, 8));
  Run();
  auto first = Pages();
  ASSERT_GT(first.size(), 5u);

  // Nothing new: no player page is written again.
  Run();
  auto second = Pages();
  EXPECT_EQ(second, first);

  // A game with only a few of the players: their pages change, no other.
  WriteFile("g.log", Games(4, 2));
  Run();
  auto third = Pages();
  int changed = 0;
  for (const auto& [name, page] : third) {
    auto before = first.find(name);
    if (before == first.end() || before->second.first != page.first) {
      ++changed;
      EXPECT_NE(before != first.end() ? before->second.second : PageIdentity{},
                page.second)
          << name;
    } else {
      EXPECT_EQ(before->second.second, page.second) << name;
    }
  }
  EXPECT_GT(changed, 0);
  EXPECT_LT(changed, static_cast<int>(third.size()));

  // Without the state file every page is made again, to the same bytes.
  ASSERT_EQ(unlink((std::string("out/Main/") + kRenderCacheFileName).c_str()),
            0);
  Run();
  auto full = Pages();
  ASSERT_EQ(full.size(), third.size());
  for (const auto& [name, page] : full) {
    EXPECT_EQ(page.first, third[name].first) << name;
    EXPECT_NE(page.second, third[name].second) << name;
  }
}

}  // namespace
}  // namespace kilnbook
