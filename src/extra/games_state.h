// The state file of the kept games, "kilnbook_games.dat" in the server
// directory: its text, and reading it back.
#ifndef KILNBOOK_EXTRA_GAMES_STATE_H_
#define KILNBOOK_EXTRA_GAMES_STATE_H_

#include <string>
#include <string_view>

#include "extra/game_records.h"

namespace kilnbook {

// The text of `archive`, every record on one line, in a fixed order: the
// same archive always gives the same bytes.
std::string GamesStateText(const GameArchive& archive);

// Replaces `archive` with the records of `text`. A line that is not a
// complete, well-formed record (a damaged one, a player line of a game not
// read before it, or the last line when no line feed ends it) is skipped; a
// record read again replaces the earlier one. The records of each feat are
// put in order and cut to kRecordsKept, and the next number is made higher
// than every number the text gives, so that no number is given twice. Empty
// text gives an empty archive. Returns false, with `archive` left empty,
// when the text begins with the header of another format version: a newer
// program wrote it, and it must not be overwritten.
bool ReadGamesState(std::string_view text, GameArchive& archive);

}  // namespace kilnbook

#endif  // KILNBOOK_EXTRA_GAMES_STATE_H_
