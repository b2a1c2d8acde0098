#include "store/run_journal.h"

#include <gtest/gtest.h>

#include <string>

namespace kilnbook {
namespace {

RunJournal Sample(bool withCut) {
  RunJournal journal;
  journal.files.push_back({"out/Main/kilnbook.dat", Digest::Of("new")});
  journal.files.push_back({"out/Main/with space", Digest::Of("")});
  LogRewrite log;
  log.path = "logs/game\n.log";
  log.device = 2049;
  log.inode = 1234567890123ull;
  log.consumed = 5000;
  log.intactLength = 5000;
  log.intactDigest = Digest::Of("games");
  log.captured = 5012;
  log.head = std::string("tail\0with nul\n\xB4\n\n", 18);
  if (withCut) {
    log.cut = 3;
    log.movedLength = 7;
  }
  journal.log = log;
  return journal;
}

void ExpectSame(const RunJournal& a, const RunJournal& b) {
  ASSERT_EQ(a.files.size(), b.files.size());
  for (size_t i = 0; i < a.files.size(); ++i) {
    EXPECT_EQ(a.files[i].path, b.files[i].path);
    EXPECT_EQ(a.files[i].digest, b.files[i].digest);
  }
  ASSERT_EQ(a.log.has_value(), b.log.has_value());
  if (a.log) {
    EXPECT_EQ(a.log->path, b.log->path);
    EXPECT_EQ(a.log->device, b.log->device);
    EXPECT_EQ(a.log->inode, b.log->inode);
    EXPECT_EQ(a.log->consumed, b.log->consumed);
    EXPECT_EQ(a.log->intactLength, b.log->intactLength);
    EXPECT_EQ(a.log->intactDigest, b.log->intactDigest);
    EXPECT_EQ(a.log->captured, b.log->captured);
    EXPECT_EQ(a.log->head, b.log->head);
    EXPECT_EQ(a.log->cut, b.log->cut);
    EXPECT_EQ(a.log->movedLength, b.log->movedLength);
  }
}

TEST(RunJournalTest, TextReadsBackWhatWasWritten) {
  RunJournal filesOnly;
  filesOnly.files.push_back({"kilnbook.dat", Digest::Of("x")});
  for (const RunJournal& journal :
       {Sample(false), Sample(true), filesOnly, RunJournal{}}) {
    std::optional<RunJournal> parsed = RunJournal::Parse(journal.Text());
    ASSERT_TRUE(parsed.has_value()) << journal.Text();
    ExpectSame(journal, *parsed);
  }
}

// A journal that is not complete and intact is never acted on.
TEST(RunJournalTest, DamagedTextIsRejected) {
  const std::string text = Sample(true).Text();
  EXPECT_FALSE(RunJournal::Parse(""));
  for (size_t length : {size_t{1}, text.size() / 2, text.size() - 1}) {
    EXPECT_FALSE(RunJournal::Parse(text.substr(0, length))) << length;
  }
  for (size_t at = 0; at < text.size(); at += 7) {
    std::string damaged = text;
    damaged[at] = static_cast<char>(damaged[at] ^ 0x20);
    EXPECT_FALSE(RunJournal::Parse(damaged)) << at;
  }
  EXPECT_FALSE(RunJournal::Parse(text + "x"));
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
