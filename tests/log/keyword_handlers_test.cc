#include "log/keyword_handlers.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "log/log_event_text.h"

// Expected events name only the fields a case sets; the others keep their
// defaults, which is the point.
#pragma GCC diagnostic ignored "-Wmissing-field-initializers"

namespace kilnbook {
namespace {

struct Case {
  std::string args;
  LogEvent expected;
};

// The event `handler` makes of `args` in a fresh record.
LogEvent Handled(KeywordHandler handler, std::string_view args) {
  LogEvent event;
  handler(args, event);
  return event;
}

void ExpectHandler(KeywordHandler handler, const std::vector<Case>& cases) {
  for (const Case& c : cases) {
    EXPECT_EQ(LogEventText(Handled(handler, c.args)), LogEventText(c.expected))
        << "args: [" << c.args << "]";
  }
}

std::string Open(const char* colour) {
  return std::string("&lt;FONT COLOR=\"") + colour + "\"&gt;";
}
const std::string kClose = "&lt;/FONT&gt;";

TEST(KeywordHandlersTest, TableIndexIsTheEventKind) {
  // Every handler answers with the kind of its own table entry, whatever
  // the arguments look like.
  const char* argsSamples[] = {"",
                               " ",
                               " 2 5 17: x",
                               "3  blue:5",
                               " 12  ping: 80  client: 2 Bob",
                               " 2 n\\Bob\\model\\axis/x\\head\\h\\"};
  for (size_t i = 0; i < kKeywordTable.size(); ++i) {
    for (const char* args : argsSamples) {
      EXPECT_EQ(
          static_cast<size_t>(Handled(kKeywordTable[i].handler, args).kind), i)
          << kKeywordTable[i].keyword << " args: [" << args << "]";
    }
  }
}

TEST(KeywordHandlersTest, HandlersWithoutFieldsReadNothing) {
  const struct {
    KeywordHandler handler;
    LogEventKind kind;
  } handlers[] = {
      {HandleInitGame, LogEventKind::InitGame},
      {HandleShutdownGame, LogEventKind::ShutdownGame},
      {HandleExit, LogEventKind::Exit},
      {HandleClientBegin, LogEventKind::ClientBegin},
      {HandleItem, LogEventKind::Item},
      {HandleSay, LogEventKind::Say},
      {HandleClientDisconnect, LogEventKind::ClientDisconnect},
  };
  const char* argsSamples[] = {"",
                               " 2",
                               " 2 5 17: x",
                               "3  blue:5",
                               " 12  ping: 80  client: 2 Bob",
                               " 2 n\\Bob\\model\\axis/x\\head\\h\\"};
  for (const auto& entry : handlers) {
    for (const char* args : argsSamples) {
      LogEvent event = Handled(entry.handler, args);
      EXPECT_EQ(LogEventText(event), LogEventText(EventOfKind(entry.kind)))
          << "args: [" << args << "]";
      EXPECT_EQ(event.slot, -1022);
    }
  }
}

TEST(KeywordHandlersTest, Red) {
  const LogEventKind k = LogEventKind::Red;
  ExpectHandler(
      HandleRed,
      {
          {"3  blue:5", {.kind = k, .redScore = 3, .blueScore = 5}},
          {"-2  blue:-7", {.kind = k, .redScore = -2, .blueScore = -7}},
          {"10  blue: 5\r", {.kind = k, .redScore = 10, .blueScore = 5}},
          // Both or neither: without the colon no score is set.
          {"3  blue5", {.kind = k}},
          {"3", {.kind = k}},
          {"", {.kind = k}},
          // A blank that ends the line, or one byte after it, is too short.
          {"3 ", {.kind = k}},
          {"3 x", {.kind = k}},
          // The byte after the blank is skipped even when it is the colon.
          {"3 :5", {.kind = k}},
          {"3  :", {.kind = k, .redScore = 3, .blueScore = 0}},
          {"  blue:5", {.kind = k, .redScore = 0, .blueScore = 5}},
          {"x  blue:y", {.kind = k, .redScore = 0, .blueScore = 0}},
          // A tab is not a blank.
          {"3\t\tblue:5", {.kind = k}},
          {"3\t  blue:5", {.kind = k, .redScore = 3, .blueScore = 5}},
      });
}

TEST(KeywordHandlersTest, ClientConnect) {
  const LogEventKind k = LogEventKind::ClientConnect;
  ExpectHandler(HandleClientConnect, {
                                         {" 4", {.kind = k, .slot = 4}},
                                         {" 12\r", {.kind = k, .slot = 12}},
                                         {"", {.kind = k, .slot = 0}},
                                         {" x", {.kind = k, .slot = 0}},
                                         {"\t7", {.kind = k, .slot = 7}},
                                         {" -3", {.kind = k, .slot = -3}},
                                         {" 5 6", {.kind = k, .slot = 5}},
                                     });
}

TEST(KeywordHandlersTest, Kill) {
  const LogEventKind k = LogEventKind::Kill;
  ExpectHandler(
      HandleKill,
      {
          {" 2 5 17: RedMan killed Bob by MOD_MP40",
           {.kind = k, .killer = 2, .victim = 5, .meansOfDeath = 17}},
          {" 1022 3 19: <world> killed Bob by MOD_FALLING",
           {.kind = k, .killer = 1022, .victim = 3, .meansOfDeath = 19}},
          // Only the first colon ends the code.
          {" 2 5 17: a: b: c",
           {.kind = k, .killer = 2, .victim = 5, .meansOfDeath = 17}},
          {" 2 5 17:",
           {.kind = k, .killer = 2, .victim = 5, .meansOfDeath = 17}},
          // The victim needs a blank after it, the code a colon.
          {" 2 5", {.kind = k, .killer = 2}},
          {" 2 5 7", {.kind = k, .killer = 2, .victim = 5}},
          {" 2 5 ", {.kind = k, .killer = 2, .victim = 5}},
          {" 2 ", {.kind = k, .killer = 2}},
          {" 2", {.kind = k}},
          {" ", {.kind = k}},
          {"", {.kind = k}},
          // Position 0 is never part of the killer.
          {"x2 5 17: y",
           {.kind = k, .killer = 2, .victim = 5, .meansOfDeath = 17}},
          {"  2 5 17: x",
           {.kind = k, .killer = 0, .victim = 2, .meansOfDeath = 5}},
          {" a b c: d",
           {.kind = k, .killer = 0, .victim = 0, .meansOfDeath = 0}},
          // A tab is not a blank: the fields shift.
          {" 2\t5 17: x", {.kind = k, .killer = 2, .victim = 17}},
      });
}

TEST(KeywordHandlersTest, Score) {
  const LogEventKind k = LogEventKind::Score;
  ExpectHandler(
      HandleScore,
      {
          {" 12  ping: 80  client: 2 RedMan",
           {.kind = k, .slot = 2, .ping = 80, .score = 12}},
          {" -5  ping: 999  client: 11 Name With Blanks",
           {.kind = k, .slot = 11, .ping = 999, .score = -5}},
          // A slot that ends the line is not taken; nor is one before a CR.
          {" 12  ping: 80  client: 2", {.kind = k, .ping = 80, .score = 12}},
          {" 12  ping: 80  client: 2\r", {.kind = k, .ping = 80, .score = 12}},
          {" 12  ping: 80  client: ", {.kind = k, .ping = 80, .score = 12}},
          // "client:" or "ping:" at the very end stops like a missing one.
          {" 12  ping: 80  client:", {.kind = k, .ping = 80, .score = 12}},
          {" 12  ping: 80", {.kind = k, .score = 12}},
          {" 12  ping:", {.kind = k, .score = 12}},
          {" 12", {.kind = k}},
          {"", {.kind = k}},
          // "ping:" at position 0 is not searched for.
          {"ping: 5  client: 2 x", {.kind = k}},
          // The score is the p - 3 bytes from position 1, whatever they are.
          {" 12 ping: 80  client: 2 X",
           {.kind = k, .slot = 2, .ping = 80, .score = 1}},
          {" 123  ping: 80  client: 2 X",
           {.kind = k, .slot = 2, .ping = 80, .score = 123}},
          {" ping: 5  client: 2 x",
           {.kind = k, .slot = 2, .ping = 5, .score = 0}},
          {"  ping: 5  client: 2 x",
           {.kind = k, .slot = 2, .ping = 5, .score = 0}},
          // The ping is the c - 2 bytes of the tail.
          {" 12  ping: 80 client: 2 X",
           {.kind = k, .slot = 2, .ping = 8, .score = 12}},
          {" 12  ping: 80client: 2 X",
           {.kind = k, .slot = 2, .ping = 0, .score = 12}},
          {" 12  ping: client: 2 X",
           {.kind = k, .slot = 2, .ping = 0, .score = 12}},
          // The byte after "ping:" and after "client:" is skipped.
          {" 12  ping:x80  client:y2 X",
           {.kind = k, .slot = 2, .ping = 80, .score = 12}},
          {" 12  ping: 80  client:  7 X",
           {.kind = k, .slot = 0, .ping = 80, .score = 12}},
      });
}

TEST(KeywordHandlersTest, ClientUserinfoChanged) {
  const LogEventKind k = LogEventKind::ClientUserinfoChanged;
  const std::string redMan =
      Open("#FF0000") + "Red" + kClose + Open("#FFFFFF") + "Man" + kClose;
  ExpectHandler(
      HandleClientUserinfoChanged,
      {
          {" 2 n\\^1Red^7Man\\t\\1\\model\\multi/bluesoldier1\\head\\"
           "bluesoldier1\\color\\3",
           {.kind = k,
            .slot = 2,
            .name = "^1Red^7Man",
            .htmlName = redMan,
            .plainName = "RedMan",
            .model = "multi",
            .head = "bluesoldier1"}},
          // A head value that ends the line has no backslash after it and
          // is not taken; nor is one that ends in a CR.
          {" 2 n\\^1Red^7Man\\t\\1\\model\\multi/bluesoldier1\\head\\"
           "bluesoldier1",
           {.kind = k,
            .slot = 2,
            .name = "^1Red^7Man",
            .htmlName = redMan,
            .plainName = "RedMan",
            .model = "multi"}},
          {" 2 n\\Bob\\model\\axis/x\\head\\h\r",
           {.kind = k,
            .slot = 2,
            .name = "Bob",
            .htmlName = "Bob",
            .plainName = "Bob",
            .model = "axis"}},
          // Each missing piece stops the handler.
          {" 2 n\\Bob\\model\\axis/x\\head",
           {.kind = k,
            .slot = 2,
            .name = "Bob",
            .htmlName = "Bob",
            .plainName = "Bob",
            .model = "axis"}},
          {" 2 n\\Bob\\model\\axis",
           {.kind = k,
            .slot = 2,
            .name = "Bob",
            .htmlName = "Bob",
            .plainName = "Bob"}},
          {" 2 n\\Bob\\t\\1",
           {.kind = k,
            .slot = 2,
            .name = "Bob",
            .htmlName = "Bob",
            .plainName = "Bob"}},
          {" 2 n\\Bob", {.kind = k, .slot = 2}},
          {" 2 n\\Bob\r", {.kind = k, .slot = 2}},
          {" 2 name Bob", {.kind = k}},
          {"", {.kind = k}},
          // The slot is the text before the blank before the key.
          {"n\\Bob\\",
           {.kind = k,
            .slot = 0,
            .name = "Bob",
            .htmlName = "Bob",
            .plainName = "Bob"}},
          {"  7 n\\Bob\\",
           {.kind = k,
            .slot = 7,
            .name = "Bob",
            .htmlName = "Bob",
            .plainName = "Bob"}},
          {" 2 xn\\Bob\\",
           {.kind = k,
            .slot = 2,
            .name = "Bob",
            .htmlName = "Bob",
            .plainName = "Bob"}},
          // Cleaned name with entities; colour codes kept in name.
          {" 3 n\\^1Fish & ^2Chips\\model\\allies/m\\head\\h\\",
           {.kind = k,
            .slot = 3,
            .name = "^1Fish &amp; ^2Chips",
            .htmlName = Open("#FF0000") + "Fish &amp; " + kClose +
                        Open("#00A833") + "Chips" + kClose,
            .plainName = "Fish &amp; Chips",
            .model = "allies",
            .head = "h"}},
          {" 3 n\\<Bo'b|>\\",
           {.kind = k,
            .slot = 3,
            .name = "Bob",
            .htmlName = "Bob",
            .plainName = "Bob"}},
          {" 4 n\\\\model\\axis/x\\head\\h\\",
           {.kind = k, .slot = 4, .model = "axis", .head = "h"}},
          // Keys are plain substrings: the first match wins, even inside a
          // longer key, and even at the end of the player's own name.
          {" 2 n\\Bob\\xmodel\\axis/a\\model\\allies/b\\head\\h\\",
           {.kind = k,
            .slot = 2,
            .name = "Bob",
            .htmlName = "Bob",
            .plainName = "Bob",
            .model = "axis",
            .head = "h"}},
          {" 2 n\\Bob\\model\\axis/a\\ahead\\first\\head\\second\\",
           {.kind = k,
            .slot = 2,
            .name = "Bob",
            .htmlName = "Bob",
            .plainName = "Bob",
            .model = "axis",
            .head = "first"}},
          {" 2 n\\Topmodel\\t\\1\\model\\axis/x\\head\\h\\",
           {.kind = k,
            .slot = 2,
            .name = "Topmodel",
            .htmlName = "Topmodel",
            .plainName = "Topmodel",
            .model = "t\\1\\model\\axis",
            .head = "h"}},
          // The head is searched from just after "model\", not after "/".
          {" 2 n\\Bob\\model\\head\\x/y\\z",
           {.kind = k,
            .slot = 2,
            .name = "Bob",
            .htmlName = "Bob",
            .plainName = "Bob",
            .model = "head\\x",
            .head = "x/y"}},
          {" 2 n\\Bob\\head\\h\\model\\axis/x\\",
           {.kind = k,
            .slot = 2,
            .name = "Bob",
            .htmlName = "Bob",
            .plainName = "Bob",
            .model = "axis"}},
      });
}

TEST(KeywordHandlersTest, TeamAndModelLoseDataFileSeparators) {
  LogEvent event =
      Handled(HandleClientUserinfoChanged,
              " 2 n\\Bob\\model\\a*x|i`s\xB4/m\\head\\b*l|u`e\xB4\\");
  EXPECT_EQ(event.model, "axis");
  EXPECT_EQ(event.head, "blue");

  // Other bytes, high ones included, stay as they are.
  event = Handled(HandleClientUserinfoChanged,
                  " 2 n\\Bob\\model\\\xE9quipe<&>/m\\head\\t\xEAte\"'\\");
  EXPECT_EQ(event.model, "\xE9quipe<&>");
  EXPECT_EQ(event.head, "t\xEAte\"'");

  event = Handled(HandleClientUserinfoChanged,
                  " 2 n\\Bob\\model\\*|`\xB4/m\\head\\|\\");
  EXPECT_EQ(event.model, "");
  EXPECT_EQ(event.head, "");
}

TEST(KeywordHandlersTest, AReusedEventEndsLikeAFreshOne) {
  // The parser passes one record from line to line: nothing of the line
  // before may stay in it.
  LogEvent used;
  HandleClientUserinfoChanged(" 7 n\\^1Old&Name\\model\\multi/x\\head\\face\\",
                              used);
  used.redScore = used.blueScore = used.ping = used.score = 5;
  used.killer = used.victim = used.meansOfDeath = 6;
  const char* argsSamples[] = {"",
                               " 2 5 17: x",
                               "3  blue:5",
                               " 12  ping: 80  client: 2 Bob",
                               " 2 n\\Bo\\model\\axis/x\\head\\h\\",
                               " 3 n\\Al"};
  for (const KeywordEntry& entry : kKeywordTable) {
    for (const char* args : argsSamples) {
      LogEvent event = used;
      entry.handler(args, event);
      EXPECT_EQ(LogEventText(event), LogEventText(Handled(entry.handler, args)))
          << entry.keyword << " args: [" << args << "]";
    }
  }
}

}  // namespace
}  // namespace kilnbook
