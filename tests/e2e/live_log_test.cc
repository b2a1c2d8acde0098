// A game server that appends to its log at every call a run makes on the
// log, during a run and during the recovery of an interrupted one, writing
// whole lines or blocks that cut lines: whatever it wrote ends up exactly
// once and in order, counted (when its game finished) or in the log, as one
// uninterrupted run over all of it leaves.
#include <gtest/gtest.h>
#include <signal.h>

#include <cstdlib>
#include <functional>
#include <string>
#include <vector>

#include "support/run_fixture.h"

namespace kilnbook {
namespace {

// Servers whose log is "g.log". (Two servers sharing a log share out its
// games by when each splits it, so a live server changes which of them
// counts a game: such a pair is left to the crash tests.)
const Scenario* const kLiveScenarios[] = {&kScenarios[0], &kScenarios[3]};

class LiveLogTest : public RunFixture {
 protected:
  // Takes the server's last bytes out of start_'s log: the log holds the
  // rest when the run starts, and the server writes them, in three pieces,
  // while the run works. A buffered server's pieces cut lines, and so does
  // the start of what it writes.
  void SplitOffServer(bool wholeLines) {
    const std::string& log = start_["g.log"];
    size_t from = log.size() - 6000;
    if (wholeLines) {
      from = log.find('\n', from) + 1;
    }
    before_ = start_;
    before_["g.log"] = log.substr(0, from);
    source_ = log.substr(from);
    ASSERT_NE(source_.find("ShutdownGame:"), std::string::npos);
    cuts_.clear();
    for (size_t third : {source_.size() / 3, 2 * source_.size() / 3}) {
      cuts_.push_back(wholeLines ? source_.find('\n', third) + 1 : third + 17);
    }
    cuts_.push_back(source_.size());
  }

  Environment Server(const std::string& path, long at) const {
    WriteFile(path + "/server.bytes", source_);
    std::string cuts;
    for (size_t cut : cuts_) {
      cuts += (cuts.empty() ? "" : ",") + std::to_string(cut);
    }
    return {{"KILNBOOK_APPEND_LOG", "g.log"},
            {"KILNBOOK_APPEND_SOURCE", path + "/server.bytes"},
            {"KILNBOOK_APPEND_CUTS", cuts},
            {"KILNBOOK_APPEND_AT", std::to_string(at)},
            {"KILNBOOK_APPEND_DONE", path + "/server.done"}};
  }

  // The pieces the run ended before: the server writes them afterwards.
  void WriteTheRest(const std::string& path) const {
    size_t done =
        static_cast<size_t>(std::atol(ReadFile(path + "/server.done").c_str()));
    size_t from = done == 0 ? 0 : cuts_[done - 1];
    std::string log = ReadFile(path + "/g.log");
    WriteFile(path + "/g.log", log + source_.substr(from));
  }

  Files before_;
  std::string source_;
  std::vector<size_t> cuts_;
};

TEST_F(LiveLogTest, ServerWritingAtEveryCallOnTheLogEndsAsOneRun) {
  for (const Scenario* scenario : kLiveScenarios) {
    Prepare(*scenario, 20000);
    for (bool wholeLines : {true, false}) {
      SCOPED_TRACE(std::string(scenario->name) +
                   (wholeLines ? ", whole lines" : ", blocks that cut lines"));
      SplitOffServer(wholeLines);
      long calls = CountCalls(before_, "g.log").logCalls;
      ASSERT_GT(calls, 5);
      for (long at = 1; at <= calls + 1; ++at) {
        SCOPED_TRACE("server writes from call " + std::to_string(at) + " of " +
                     std::to_string(calls));
        std::string path = Lay("live", before_);
        ProcessStatus status = RunWith(path, Server(path, at));
        EXPECT_TRUE(status.exited && status.exitStatus == 0);
        WriteTheRest(path);
        ExpectFinished(path);
      }
    }
  }
}

// Killed at each point after its journal was written; the server writes at
// every call the recovering run makes on the log.
TEST_F(LiveLogTest, ServerWritingDuringARecoveryEndsAsOneRun) {
  Prepare(kScenarios[0], 20000);
  before_ = start_;
  long changes = CountCalls(start_).changes;
  // The log is laid anew for each case: a copy would be another file, which
  // the recovery leaves alone as a rotated log.
  auto kill = [&](long point) {
    std::string path = Lay("recovering", start_);
    RunWith(path, {{"KILNBOOK_CRASH_AT", std::to_string(point)}});
    return path;
  };
  std::vector<long> journaled;
  for (long point = 1; point <= changes; ++point) {
    if (FileExists(kill(point) + "/out/Main/kilnbook.journal")) {
      journaled.push_back(point);
    }
  }
  ASSERT_GE(journaled.size(), 4u);
  // The first and last points, and two between: before the files are
  // renamed, before the marker, and while the log is being cut.
  std::vector<long> interrupted = {
      journaled.front(), journaled[journaled.size() / 3],
      journaled[2 * journaled.size() / 3], journaled.back()};
  for (bool wholeLines : {true, false}) {
    // The server's bytes come after the whole log the killed run saw.
    source_ = wholeLines ? "  0:00 say: late line\n  0:01 ShutdownGame:\n"
                         : "  0:00 say: la";
    cuts_ = {source_.size() / 2, source_.size()};
    Files withServer = start_;
    withServer["g.log"] += source_;
    std::string reference = Lay("reference", withServer);
    RunNormally(reference);
    finished_ = Collect(reference);
    for (long point : interrupted) {
      for (long at = 1; at <= 20; ++at) {
        SCOPED_TRACE("killed before file change " + std::to_string(point) +
                     (wholeLines ? ", whole lines" : ", cut lines") +
                     ", server writes from call " + std::to_string(at));
        std::string path = kill(point);
        ProcessStatus status = RunWith(path, Server(path, at));
        EXPECT_TRUE(status.exited && status.exitStatus == 0);
        WriteTheRest(path);
        ExpectFinished(path);
      }
    }
  }
}

}  // namespace
}  // namespace kilnbook
