// File and directory names used by a run. Configured parts are joined by
// plain concatenation: PATH normally ends with "/" itself.
#ifndef KILNBOOK_CONFIG_FILE_NAMES_H_
#define KILNBOOK_CONFIG_FILE_NAMES_H_

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
std::string PlayersDirectory(std::string_view path, std::string_view serverName);

// The server directory + "/kilnbook.dat".
std::string DataFilePath(std::string_view path, std::string_view serverName);

}  // namespace kilnbook

#endif  // KILNBOOK_CONFIG_FILE_NAMES_H_
