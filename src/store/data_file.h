// Reading and writing the records of a server's statistics data file.
#ifndef KILNBOOK_STORE_DATA_FILE_H_
#define KILNBOOK_STORE_DATA_FILE_H_

#include <optional>
#include <string>
#include <string_view>

#include "model/code_tally.h"
#include "model/name_pool.h"
#include "model/name_tally.h"
#include "model/player.h"
#include "model/server_list.h"

namespace kilnbook {

// The three operations through which the data file reaches the registry.
// Each looks the server up without creating it; for an unknown name the
// registry prints "Server does not exist under this name in the config: %s\n"
// and nothing else happens (ServerRecord then returns "").

// Sets every counter of the server from an SRV line; a missing field gives 0.
void LoadServerRecord(ServerList& servers, std::string_view name,
                      std::string_view line);

// Replaces the player named by a PLR line with a new one filled from it. A
// line without "N1|" or without "*" is skipped.
void LoadPlayerRecord(ServerList& servers, std::string_view name,
                      std::string_view line);

// Loads a line of the data file: an SRV or a PLR line as above; any other
// line is skipped.
void LoadRecordLine(ServerList& servers, std::string_view name,
                    std::string_view line);

// The whole file text of the server: its SRV line, one PLR line per player in
// name order, and an empty last line.
std::string ServerRecord(const ServerList& servers, std::string_view name);

// The text between the first "`tag`|" of `line` and the first "*" after it;
// nothing when either is missing.
std::optional<std::string_view> FindField(std::string_view line,
                                          std::string_view tag);

// Tally lists: entries "key`count´" (0x60 and 0xB4 bytes) one after another.
// Parsing stops at the first entry without both separators; a later entry
// of the same key replaces an earlier one.
// Names are interned in `names`.
NameTally ParseNameTally(std::string_view text, NamePool& names);
CodeTally ParseCodeTally(std::string_view text);
void AppendNameTally(std::string& out, const NameTally& tally);
void AppendCodeTally(std::string& out, const CodeTally& tally);

// One PLR line, with its line feed.
void AppendPlayerRecord(std::string& out, const Player& player);

}  // namespace kilnbook

#endif  // KILNBOOK_STORE_DATA_FILE_H_
