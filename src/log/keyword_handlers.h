// The keyword table of the log reader and the handler of each keyword, which
// turns the argument text of one line into a LogEvent.
#ifndef KILNBOOK_LOG_KEYWORD_HANDLERS_H_
#define KILNBOOK_LOG_KEYWORD_HANDLERS_H_

#include <array>
#include <cstddef>
#include <string_view>

#include "log/log_event.h"

namespace kilnbook {

// Takes the argument text of a line (everything after the keyword's colon,
// starting with the byte right after it) and makes `event` the line's event:
// whatever `event` held before is reset, its strings' storage reused.
// Handlers never fail: a value whose separators are missing, or stand at the
// very end of the text, stays at its default together with every value read
// after it. Numbers are read strtol-style; text that is not a number gives 0.
using KeywordHandler = void (*)(std::string_view args, LogEvent& event);

// Lines that only mark a moment of the game: the event carries its kind and
// nothing else.
void HandleInitGame(std::string_view args, LogEvent& event);
void HandleShutdownGame(std::string_view args, LogEvent& event);
void HandleExit(std::string_view args, LogEvent& event);
void HandleClientBegin(std::string_view args, LogEvent& event);
void HandleItem(std::string_view args, LogEvent& event);
void HandleSay(std::string_view args, LogEvent& event);
void HandleClientDisconnect(std::string_view args, LogEvent& event);

// "3  blue:5": `redScore` and `blueScore`, both or neither.
void HandleRed(std::string_view args, LogEvent& event);

// " 4": `slot`.
void HandleClientConnect(std::string_view args, LogEvent& event);

// " 2 n\Name\...\model\team/skin\...\head\face\...": `slot`, the three name
// forms, `model` (team identifier) and `head` (model identifier). Keys are
// found by plain substring search, the first match wins. `model` and `head`
// lose the data-file separators '*', '|', '`' and 0xB4, so that no player can
// break their own record with them.
void HandleClientUserinfoChanged(std::string_view args, LogEvent& event);

// " 2 5 17: text": `killer`, `victim`, `meansOfDeath`.
void HandleKill(std::string_view args, LogEvent& event);

// " 12  ping: 80  client: 2 Name": `score`, `ping`, `slot`.
void HandleScore(std::string_view args, LogEvent& event);

struct KeywordEntry {
  std::string_view keyword;  // with its colon, compared case-sensitively
  KeywordHandler handler;
};

inline constexpr size_t kKeywordCount = 12;

// The index of an entry is the LogEventKind value of its events.
inline constexpr std::array<KeywordEntry, kKeywordCount> kKeywordTable = {{
    {"InitGame:", HandleInitGame},
    {"ShutdownGame:", HandleShutdownGame},
    {"Exit:", HandleExit},
    {"red:", HandleRed},
    {"ClientConnect:", HandleClientConnect},
    {"ClientUserinfoChanged:", HandleClientUserinfoChanged},
    {"ClientBegin:", HandleClientBegin},
    {"Kill:", HandleKill},
    {"Item:", HandleItem},
    {"say:", HandleSay},
    {"ClientDisconnect:", HandleClientDisconnect},
    {"score:", HandleScore},
}};

}  // namespace kilnbook

#endif  // KILNBOOK_LOG_KEYWORD_HANDLERS_H_
