// A whole run in this process, with the default stylesheets and the
// extended statistics, so that ThreadSanitizer sees the page threads build
// documents from the model and share the compiled stylesheets.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "app/stats_app.h"
#include "support/run_program.h"
#include "support/temp_dir.h"

namespace kilnbook {
namespace {

class StatsAppThreadTest : public TempDirTest {};

TEST_F(StatsAppThreadTest, ThreadedRunMakesTheExamplePages) {
  namespace fs = std::filesystem;
  const fs::path source = KILNBOOK_SOURCE_DIR;
  fs::copy(source / "examples", dir(), fs::copy_options::recursive);
  fs::create_directory("www");
  for (const auto& sheet : fs::directory_iterator(source / "stylesheets")) {
    fs::copy(sheet.path(), fs::path("www") / sheet.path().filename());
  }
  WriteFile("kilnbook.cfg", ReadFile("kilnbook.cfg") + "EXTENDED_STATS 1\n");
  std::string out;
  for (int run = 0; run < 2; ++run) {
    out += CaptureStdout([] {
      StatsApp app;
      app.OutputInternal();
    });
  }
  EXPECT_EQ(out.find("Failed to generate detailed HTML for player"),
            std::string::npos)
      << out;
  EXPECT_NE(ReadFile("www/Main/kilnbook.html").find("<html"),
            std::string::npos);
  EXPECT_FALSE(DirectoryEntries("www/Main/kilnplayers").empty());
}

}  // namespace
}  // namespace kilnbook
