#include "config/file_names.h"

namespace kilnbook {

std::string ServerDirectory(std::string_view path, std::string_view serverName) {
  std::string directory;
  directory.reserve(path.size() + serverName.size());
  directory.append(path);
  directory.append(serverName);
  if (directory.empty()) {
    directory = ".";
  }
  return directory;
}

std::string PlayersDirectory(std::string_view path,
                             std::string_view serverName) {
  return ServerDirectory(path, serverName) + "/kilnplayers";
}

std::string DataFilePath(std::string_view path, std::string_view serverName) {
  return ServerDirectory(path, serverName) + "/kilnbook.dat";
}

}  // namespace kilnbook
