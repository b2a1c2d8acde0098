#include "store/run_journal.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

namespace kilnbook {
namespace {

const std::vector<std::string> kNames = {"kilnbook.dat", "with space"};

RunJournal Sample(bool withLog) {
  RunJournal journal;
  journal.server = Digest::Of("Main");
  journal.files.push_back({"kilnbook.dat", Digest::Of("new")});
  journal.files.push_back({"with space", Digest::Of("")});
  if (withLog) {
    LogRewrite log;
    log.device = 2049;
    log.inode = 1234567890123ull;
    log.consumed = 5000;
    log.consumedDigest = Digest::Of("games");
    log.captured = 5018;
    log.earlierCaptured = 5012;
    log.marker = 0x8182838485868788ull;
    log.head = std::string("tail\0with nul\n\xB4\n\n", 18);
    journal.log = log;
    journal.logPath = Digest::Of("logs/game\n.log");
  }
  return journal;
}

void ExpectSame(const RunJournal& a, const RunJournal& b) {
  EXPECT_EQ(a.server, b.server);
  ASSERT_EQ(a.files.size(), b.files.size());
  for (size_t i = 0; i < a.files.size(); ++i) {
    EXPECT_EQ(a.files[i].name, b.files[i].name);
    EXPECT_EQ(a.files[i].digest, b.files[i].digest);
  }
  ASSERT_EQ(a.log.has_value(), b.log.has_value());
  if (a.log) {
    EXPECT_EQ(a.logPath, b.logPath);
    EXPECT_EQ(a.log->device, b.log->device);
    EXPECT_EQ(a.log->inode, b.log->inode);
    EXPECT_EQ(a.log->consumed, b.log->consumed);
    EXPECT_EQ(a.log->consumedDigest, b.log->consumedDigest);
    EXPECT_EQ(a.log->captured, b.log->captured);
    EXPECT_EQ(a.log->earlierCaptured, b.log->earlierCaptured);
    EXPECT_EQ(a.log->marker, b.log->marker);
    EXPECT_EQ(a.log->head, b.log->head);
  }
}

TEST(RunJournalTest, TextReadsBackWhatWasWritten) {
  for (const RunJournal& journal :
       {Sample(true), Sample(false), RunJournal{}}) {
    std::optional<RunJournal> parsed =
        RunJournal::Parse(journal.Text(), kNames);
    ASSERT_TRUE(parsed.has_value()) << journal.Text();
    ExpectSame(journal, *parsed);
  }
}

// A journal that is not complete and intact, or asks for what no save
// writes, is never acted on.
TEST(RunJournalTest, DamagedOrForeignTextIsRejected) {
  const std::string text = Sample(true).Text();
  EXPECT_FALSE(RunJournal::Parse("", kNames));
  for (size_t length : {size_t{1}, text.size() / 2, text.size() - 1}) {
    EXPECT_FALSE(RunJournal::Parse(text.substr(0, length), kNames)) << length;
  }
  for (size_t at = 0; at < text.size(); at += 7) {
    std::string damaged = text;
    damaged[at] = static_cast<char>(damaged[at] ^ 0x20);
    EXPECT_FALSE(RunJournal::Parse(damaged, kNames)) << at;
  }
  EXPECT_FALSE(RunJournal::Parse(text + "x", kNames));

  struct Case {
    const char* what;
    std::function<void(RunJournal&)> change;
  } cases[] = {
      {"a file of another name",
       [](RunJournal& j) { j.files[0].name = "../../etc/passwd"; }},
      {"the same file twice",
       [](RunJournal& j) { j.files[1].name = j.files[0].name; }},
      {"a head as long as what it cuts",
       [](RunJournal& j) { j.log->head.resize(j.log->captured - 15); }},
      {"nothing counted", [](RunJournal& j) { j.log->consumed = 0; }},
      {"an earlier record after this one",
       [](RunJournal& j) { j.log->earlierCaptured = j.log->captured + 1; }},
  };
  for (const Case& c : cases) {
    RunJournal journal = Sample(true);
    c.change(journal);
    EXPECT_FALSE(RunJournal::Parse(journal.Text(), kNames)) << c.what;
  }
}

TEST(DigestTest, HexRoundTripAndPieces) {
  Digest whole = Digest::Of("one two three");
  EXPECT_EQ(Digest::FromHex(whole.Hex()), whole);
  EXPECT_FALSE(Digest::FromHex(whole.Hex().substr(1)));
  EXPECT_FALSE(Digest::FromHex(std::string(32, 'g')));
  Digest::Builder pieces;
  pieces.Add("one ");
  Digest::Builder copy = pieces;
  pieces.Add("two three");
  EXPECT_EQ(pieces.Current(), whole);
  copy.Add("two");
  EXPECT_NE(copy.Current(), whole);
}

}  // namespace
}  // namespace kilnbook
