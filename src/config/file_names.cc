#include "config/file_names.h"

namespace kilnbook {

std::string ServerDirectory(std::string_view path,
                            std::string_view serverName) {
  if (path.empty() && serverName.empty()) {
    return ".";
  }
  std::string directory;
  directory.reserve(path.size() + serverName.size());
  directory.append(path);
  directory.append(serverName);
  return directory;
}

std::string PlayersDirectory(std::string_view path,
                             std::string_view serverName) {
  return ServerDirectory(path, serverName) + "/kilnplayers";
}

std::string GamesDirectory(std::string_view path, std::string_view serverName) {
  return ServerDirectory(path, serverName) + "/" + kGamesDirectoryName;
}

std::string DataFilePath(std::string_view path, std::string_view serverName) {
  return ServerDirectory(path, serverName) + "/" + kDataFileName;
}

std::string JournalFilePath(std::string_view path,
                            std::string_view serverName) {
  return ServerDirectory(path, serverName) + "/" + kJournalFileName;
}

std::string ExtraStateFilePath(std::string_view path,
                               std::string_view serverName) {
  return ServerDirectory(path, serverName) + "/" + kExtraStateFileName;
}

std::string GamesStateFilePath(std::string_view path,
                               std::string_view serverName) {
  return ServerDirectory(path, serverName) + "/" + kGamesStateFileName;
}

std::string FeedFilePath(std::string_view path, std::string_view serverName) {
  return ServerDirectory(path, serverName) + "/kilnbook.json";
}

std::string RenderCacheFilePath(std::string_view path,
                                std::string_view serverName) {
  return ServerDirectory(path, serverName) + "/" + kRenderCacheFileName;
}

std::string StylesheetPath(std::string_view path,
                           std::string_view stylesheetName) {
  std::string result(path);
  result.append(stylesheetName);
  return result;
}

std::string FrontPagePath(std::string_view path) {
  std::string result(path);
  result.append("kilnbook.html");
  return result;
}

std::string MainPagePath(std::string_view path, std::string_view serverName,
                         std::string_view fileName) {
  std::string result = ServerDirectory(path, serverName);
  result += '/';
  result.append(fileName);
  return result;
}

std::string PlayerPagesDirectory(std::string_view path,
                                 std::string_view serverName) {
  return PlayersDirectory(path, serverName) + "/";
}

std::string PlayerPageFileName(std::string_view plainName) {
  std::string result;
  result.reserve(plainName.size() + 5);
  for (char c : plainName) {
    result += (c == '/' || c == '\0') ? '_' : c;
  }
  result += ".html";
  return result;
}

std::string GamePageFileName(int64_t number) {
  return std::to_string(number) + ".html";
}

}  // namespace kilnbook
