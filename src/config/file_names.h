// File and directory names used by a run. Configured parts are joined by
// plain concatenation: PATH normally ends with "/" itself.
#ifndef KILNBOOK_CONFIG_FILE_NAMES_H_
#define KILNBOOK_CONFIG_FILE_NAMES_H_

#include <cstdint>
#include <string>
#include <string_view>

namespace kilnbook {

// Working files of the log pre-pass, relative to the working directory.
inline constexpr const char kTempFileName[] = "kilnbook.tmp";
inline constexpr const char kDumpFileName[] = "kilnbook.dmp";

// PATH + server name; "." when both are empty, so that no path built from
// it ever points at the root of the file system.
std::string ServerDirectory(std::string_view path, std::string_view serverName);

// The server directory + "/kilnplayers".
std::string PlayersDirectory(std::string_view path,
                             std::string_view serverName);

// The server directory's folder of game pages, and the server directory +
// "/kilngames" (made only with EXTENDED_STATS on).
inline constexpr const char kGamesDirectoryName[] = "kilngames";
std::string GamesDirectory(std::string_view path, std::string_view serverName);

// The data file's name in the server directory.
inline constexpr const char kDataFileName[] = "kilnbook.dat";

// The server directory + "/kilnbook.dat".
std::string DataFilePath(std::string_view path, std::string_view serverName);

// The journal of a save in progress, in the server directory, and its path.
inline constexpr const char kJournalFileName[] = "kilnbook.journal";
std::string JournalFilePath(std::string_view path, std::string_view serverName);

// With EXTENDED_STATS on: the server directory + "/kilnbook_extra.dat" (the
// extended statistics), + "/kilnbook_games.dat" (the games kept, the
// players' bests and the server's records) and + "/kilnbook.json" (the
// feed).
// The extended statistics' state files in the server directory.
inline constexpr const char kExtraStateFileName[] = "kilnbook_extra.dat";
inline constexpr const char kGamesStateFileName[] = "kilnbook_games.dat";
// The files a server's save may stage, the only ones its journal may name.
inline constexpr const char* kStagedFileNames[] = {
    kDataFileName, kExtraStateFileName, kGamesStateFileName};

std::string ExtraStateFilePath(std::string_view path,
                               std::string_view serverName);
std::string GamesStateFilePath(std::string_view path,
                               std::string_view serverName);
std::string FeedFilePath(std::string_view path, std::string_view serverName);

// What each page of the server was last made from, in the server directory.
inline constexpr const char kRenderCacheFileName[] = "kilnbook.pages";

// The server directory + "/kilnbook.pages".
std::string RenderCacheFilePath(std::string_view path,
                                std::string_view serverName);

// Stylesheets of the installation, all taken from PATH itself.
inline constexpr const char kMainStylesheetName[] = "kilnbook.xsl";
inline constexpr const char kFrontStylesheetName[] = "kilnbook_front.xsl";
inline constexpr const char kPlayerStylesheetName[] = "kilnbook_player.xsl";
// With EXTENDED_STATS: the rating ladder and the maps page of a server, made
// from its main document.
inline constexpr const char kLadderStylesheetName[] = "kilnbook_ladder.xsl";
inline constexpr const char kMapsStylesheetName[] = "kilnbook_maps.xsl";
inline constexpr const char kLadderPageName[] = "kilnbook_ladder.html";
inline constexpr const char kMapsPageName[] = "kilnbook_maps.html";
// With EXTENDED_STATS: the list of a server's kept games, made from its
// games document, and one page per kept game, made from its game document.
inline constexpr const char kGamesStylesheetName[] = "kilnbook_games.xsl";
inline constexpr const char kGameStylesheetName[] = "kilnbook_game.xsl";
inline constexpr const char kGamesPageName[] = "kilnbook_games.html";

// PATH + `stylesheetName`.
std::string StylesheetPath(std::string_view path,
                           std::string_view stylesheetName);

// PATH + "kilnbook.html": the front page over all servers.
std::string FrontPagePath(std::string_view path);

// The server directory + "/" + `fileName`: a main page of the server.
std::string MainPagePath(std::string_view path, std::string_view serverName,
                         std::string_view fileName);

// The players directory + "/": player page file names are appended to it.
std::string PlayerPagesDirectory(std::string_view path,
                                 std::string_view serverName);

// `plainName` + ".html", with every "/" (and any zero byte, which no file
// name can hold) turned into "_", so that every page stays inside the
// players directory whatever the name; "../x" gives ".._x.html" and the
// empty name ".html".
std::string PlayerPageFileName(std::string_view plainName);

// The page of game `number` in the games directory: "NUMBER.html"; only
// digits, so it stays inside that directory.
std::string GamePageFileName(int64_t number);

}  // namespace kilnbook

#endif  // KILNBOOK_CONFIG_FILE_NAMES_H_
