// Values of a log line that the keyword handlers leave out and the extended
// statistics need: the time column, the map of "InitGame:" and the slot of
// "ClientDisconnect:".
#ifndef KILNBOOK_LOG_LINE_FIELDS_H_
#define KILNBOOK_LOG_LINE_FIELDS_H_

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace kilnbook {

// Width of the time column that starts every log line.
inline constexpr size_t kTimeColumnWidth = 7;

// The seconds since the start of the game that the time column of `line`
// gives: blanks, the minutes (any number of digits), ":", the seconds, and
// blanks up to the end of the column, as in "  9:59 " or "1234:56".
// Nothing when the column holds anything else.
std::optional<int64_t> TimeColumnSeconds(std::string_view line);

// The argument text of a line, as its keyword handler sees it: what follows
// the first colon after the time column; empty when there is none.
std::string_view LineArguments(std::string_view line);

// The value of the key "mapname" among the backslash-separated key and
// value pairs of an "InitGame:" line ("\sv_hostname\Main\mapname\mp_beach"),
// cleaned with CleanText; a carriage return that ends the line is not part
// of it. The first such key counts; empty when there is none.
std::string InitGameMapName(std::string_view line);

// The client slot of a "ClientDisconnect:" line, read as the other slots
// are (strtol-style, 0 when there is no number).
int32_t DisconnectSlot(std::string_view line);

}  // namespace kilnbook

#endif  // KILNBOOK_LOG_LINE_FIELDS_H_
