#include "log/log_parser.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "log/log_event_text.h"
#include "support/run_program.h"
#include "support/temp_dir.h"

// Expected events name only the fields a case sets; the others keep their
// defaults, which is the point.
#pragma GCC diagnostic ignored "-Wmissing-field-initializers"

namespace kilnbook {
namespace {

std::vector<std::string> Texts(const std::vector<LogEvent>& events) {
  std::vector<std::string> texts;
  for (const LogEvent& event : events) {
    texts.push_back(LogEventText(event));
  }
  return texts;
}

std::string Text(const LogEvent& event) { return LogEventText(event); }

const std::string kUnrecognized = Text(LogEvent());

TEST(LogParserTest, FindKeywordGivesTheTableIndex) {
  const char* keywords[] = {"InitGame:",
                            "ShutdownGame:",
                            "Exit:",
                            "red:",
                            "ClientConnect:",
                            "ClientUserinfoChanged:",
                            "ClientBegin:",
                            "Kill:",
                            "Item:",
                            "say:",
                            "ClientDisconnect:",
                            "score:"};
  for (int i = 0; i < 12; ++i) {
    EXPECT_EQ(LogParser::FindKeyword(keywords[i]), i) << keywords[i];
  }
}

TEST(LogParserTest, FindKeywordWantsTheExactWord) {
  const char* words[] = {"Kill", "kill:", "KILL:", "Kill: ", " Kill:", "Red:",
                         "Say:", "Score:", "", ":", "InitGame:x",
                         "ClientUserinfo:", "Kill::", "Exit;",
                         // Same length and low bits of the first byte as a
                         // keyword, other bytes.
                         "Cill:", "Mxit:", "Kilx:", "sax:", "Rhutdowngame:",
                         "cxxxxxxxxxxxxxxxxxxxx:", "ClientUserinfoChanged;"};
  for (const char* word : words) {
    EXPECT_EQ(LogParser::FindKeyword(word), -1) << "[" << word << "]";
  }
}

TEST(LogParserTest, ParseLine) {
  auto event = [](LogEventKind kind) { return EventOfKind(kind); };
  const LogEventKind kill = LogEventKind::Kill;
  const struct {
    std::string line;
    LogEvent expected;
  } cases[] = {
      {"  0:00 ShutdownGame:", event(LogEventKind::ShutdownGame)},
      {"  0:00 Exit: Timelimit hit.", event(LogEventKind::Exit)},
      // The time column is any seven bytes, colons included.
      {"1234567Exit:", event(LogEventKind::Exit)},
      {"  0:00 Kill: 2 5 17: RedMan killed Bob by MOD_MP40",
       {.kind = kill, .killer = 2, .victim = 5, .meansOfDeath = 17}},
      // The arguments start right after the colon.
      {"  0:00 Kill:x2 5 17:",
       {.kind = kill, .killer = 2, .victim = 5, .meansOfDeath = 17}},
      {"  0:00 ClientConnect:7",
       {.kind = LogEventKind::ClientConnect, .slot = 7}},
      {"  0:00 ClientConnect:",
       {.kind = LogEventKind::ClientConnect, .slot = 0}},
      {"  0:00 red:3  blue:5",
       {.kind = LogEventKind::Red, .redScore = 3, .blueScore = 5}},
      // A CR stays at the end of the arguments: a score line's slot needs
      // a blank after it.
      {"  9:59 score: 12  ping: 80  client: 2\r",
       {.kind = LogEventKind::Score, .ping = 80, .score = 12}},
      // Only the first colon decides the keyword.
      {"  0:00 say: Bob: Kill: 1 2 3: x", event(LogEventKind::Say)},
      {"  0:00 Something Kill: 1 2 3: x", LogEvent()},
      {"  0:00 Broadcast: print \"x\"", LogEvent()},
      // Case matters, and so does the width of the time column.
      {"  0:00 kill: 2 5 17: x", LogEvent()},
      {"   0:00 ShutdownGame:", LogEvent()},
      {" 0:00 ShutdownGame:", LogEvent()},
      {"  0:00 ------------------------------------------------------------",
       LogEvent()},
      {"  0:00 :", LogEvent()},
      {"12345678", LogEvent()},
      {"", LogEvent()},
      {"abc", LogEvent()},
  };
  // The reader passes one record from line to line: one that carried a
  // whole userinfo line must end up like a fresh one.
  LogEvent used = LogParser::ParseLine(
      "  0:00 ClientUserinfoChanged: 3 "
      "n\\^1A&B\\model\\multi/x\\head\\h\\");
  used.redScore = used.ping = used.killer = 9;
  ASSERT_EQ(used.head, "h");
  for (const auto& c : cases) {
    EXPECT_EQ(Text(LogParser::ParseLine(c.line)), Text(c.expected))
        << "line: [" << c.line << "]";
    LogEvent reused = used;
    LogParser::ParseLine(c.line, reused);
    EXPECT_EQ(Text(reused), Text(c.expected))
        << "reused, line: [" << c.line << "]";
  }
}

class LogParserFileTest : public TempDirTest {};

TEST_F(LogParserFileTest, MissingFileIsReportedAndGivesNoEvents) {
  std::vector<LogEvent> events;
  bool ok = true;
  std::string out = CaptureStdout([&] {
    ok = LogParser().Parse(
        "no_such.log", [&events](const LogEvent& e) { events.push_back(e); });
  });
  EXPECT_EQ(out, "Failed to open logfile: no_such.log\n");
  EXPECT_FALSE(ok);
  EXPECT_TRUE(events.empty());
  EXPECT_FALSE(FileExists("no_such.log"));
}

TEST_F(LogParserFileTest, EmptyFileGivesNoEventsAndNoMessage) {
  WriteFile("empty.log", "");
  std::vector<LogEvent> events;
  std::string out =
      CaptureStdout([&] { events = LogParser().Parse("empty.log"); });
  EXPECT_EQ(out, "");
  EXPECT_TRUE(events.empty());
}

TEST_F(LogParserFileTest, ReadFailureIsNotSuccess) {
  bool ok = true;
  std::string out = CaptureStdout(
      [&] { ok = LogParser().Parse(".", [](const LogEvent&) {}); });
  EXPECT_FALSE(ok);
  EXPECT_EQ(out, "");
}

TEST_F(LogParserFileTest, LinesUpToSevenBytesGiveNoEvent) {
  WriteFile("game.log",
            "\n"
            "1234567\n"
            "123456\r\n"   // seven bytes with the CR
            "1234567\r\n"  // eight bytes with the CR
            "12345678\n"
            "1234567890\n"
            "  0:00 Exit:\n"
            "  0:00\n"
            "1234567Exit:");  // last line without a line feed
  std::vector<LogEvent> events = LogParser().Parse("game.log");
  EXPECT_EQ(Texts(events), (std::vector<std::string>{
                               kUnrecognized, kUnrecognized, kUnrecognized,
                               Text(EventOfKind(LogEventKind::Exit)),
                               Text(EventOfKind(LogEventKind::Exit))}));
}

TEST_F(LogParserFileTest, LongLinesAreReadWholeAndDoNotEndTheReading) {
  const std::string longName(3000, 'N');
  const std::string hugeSay(200000, 'z');
  WriteFile("game.log", "  0:00 say: " + hugeSay + "\n" +
                            "  0:01 ClientUserinfoChanged: 4 n\\" + longName +
                            "\\model\\axis/a\\head\\h\\\n"
                            "  0:02 Kill: 4 1 17: x\n" +
                            std::string(2500, ':') + "\n" +
                            "  0:03 ShutdownGame:\n");
  std::vector<LogEvent> events = LogParser().Parse("game.log");
  ASSERT_EQ(events.size(), 5u);
  EXPECT_EQ(events[0].kind, LogEventKind::Say);
  EXPECT_EQ(events[1].kind, LogEventKind::ClientUserinfoChanged);
  EXPECT_EQ(events[1].name, longName);
  EXPECT_EQ(events[1].head, "h");
  EXPECT_EQ(events[2].killer, 4);
  EXPECT_EQ(events[3].kind, LogEventKind::Unrecognized);
  EXPECT_EQ(events[4].kind, LogEventKind::ShutdownGame);
}

TEST_F(LogParserFileTest, SinkSeesTheEventsInLineOrder) {
  WriteFile("game.log",
            "  0:00 InitGame: \\x\\y\n"
            "  0:01 ClientConnect: 1\n"
            "  0:02 ClientConnect: 2\n"
            "  0:03 ClientConnect: 3\n");
  std::vector<int32_t> slots;
  EXPECT_TRUE(LogParser().Parse(
      "game.log", [&slots](const LogEvent& e) { slots.push_back(e.slot); }));
  EXPECT_EQ(slots, (std::vector<int32_t>{UNSET, 1, 2, 3}));
}

TEST_F(LogParserFileTest, RealisticGame) {
  WriteFile(
      "game.log",
      "  0:00 ------------------------------------------------------------\n"
      "  0:00 InitGame: \\sv_hostname\\^1Kiln ^7Server\\g_gametype\\5\\"
      "mapname\\mp_beach\\sv_maxclients\\20\r\n"
      "  0:03 ClientConnect: 2\n"
      "  0:03 ClientUserinfoChanged: 2 n\\^1Red^7Man\\t\\1\\model\\"
      "multi/bluesoldier1\\head\\bluesoldier1\n"
      "  0:03 ClientBegin: 2\n"
      "  0:05 ClientConnect: 5\n"
      "  0:05 ClientUserinfoChanged: 5 n\\Bob & Co\\t\\2\\model\\"
      "multi_axis/redmedic1\\head\\redmedic1\\color\\4\n"
      "  0:05 ClientBegin: 5\n"
      "  0:40 Item: 2 weapon_thompson\n"
      "  1:23 say: ^1Red^7Man: hi: all\n"
      "  1:24 Kill: 2 5 17: ^1Red^7Man killed Bob & Co by MOD_MP40\n"
      "  1:30 Kill: 1022 2 19: <world> killed ^1Red^7Man by MOD_FALLING\n"
      "  2:00 ClientDisconnect: 5\n"
      "  9:59 Exit: Timelimit hit.\n"
      "  9:59 red:3  blue:5\n"
      "  9:59 score: 12  ping: 80  client: 2 ^1Red^7Man\n"
      "  9:59 score: -1  ping: 999  client: 5 Bob & Co\n"
      " 10:02 ShutdownGame:\n"
      "  0:00 ------------------------------------------------------------\n");
  const std::string redMan =
      "&lt;FONT COLOR=\"#FF0000\"&gt;Red&lt;/FONT&gt;"
      "&lt;FONT COLOR=\"#FFFFFF\"&gt;Man&lt;/FONT&gt;";
  const std::vector<LogEvent> expected = {
      LogEvent(),
      EventOfKind(LogEventKind::InitGame),
      {.kind = LogEventKind::ClientConnect, .slot = 2},
      {.kind = LogEventKind::ClientUserinfoChanged,
       .slot = 2,
       .name = "^1Red^7Man",
       .htmlName = redMan,
       .plainName = "RedMan",
       .model = "multi"},
      EventOfKind(LogEventKind::ClientBegin),
      {.kind = LogEventKind::ClientConnect, .slot = 5},
      {.kind = LogEventKind::ClientUserinfoChanged,
       .slot = 5,
       .name = "Bob &amp; Co",
       .htmlName = "Bob &amp; Co",
       .plainName = "Bob &amp; Co",
       .model = "multi_axis",
       .head = "redmedic1"},
      EventOfKind(LogEventKind::ClientBegin),
      EventOfKind(LogEventKind::Item),
      EventOfKind(LogEventKind::Say),
      {.kind = LogEventKind::Kill,
       .killer = 2,
       .victim = 5,
       .meansOfDeath = 17},
      {.kind = LogEventKind::Kill,
       .killer = 1022,
       .victim = 2,
       .meansOfDeath = 19},
      EventOfKind(LogEventKind::ClientDisconnect),
      EventOfKind(LogEventKind::Exit),
      {.kind = LogEventKind::Red, .redScore = 3, .blueScore = 5},
      {.kind = LogEventKind::Score, .slot = 2, .ping = 80, .score = 12},
      {.kind = LogEventKind::Score, .slot = 5, .ping = 999, .score = -1},
      EventOfKind(LogEventKind::ShutdownGame),
      LogEvent(),
  };
  std::vector<LogEvent> events = LogParser().Parse("game.log");
  EXPECT_EQ(Texts(events), Texts(expected));
}

}  // namespace
}  // namespace kilnbook
