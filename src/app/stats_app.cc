#include "app/stats_app.h"

#include "app/directory.h"
#include "config/file_names.h"

namespace kilnbook {

StatsApp::StatsApp()
    : configFile_(ConfigFile::Read()),
      serverList_(configFile_),
      config_(configFile_) {
  PrepareServers();
}

void StatsApp::PrepareServers() {
  if (!config_.IsMultiServer()) {
    RegisterServer(config_.serverName(), config_.serverAddress(),
                   config_.logFile());
    return;
  }
  for (const MultiEntry& entry : config_.multi()) {
    RegisterServer(entry.name, entry.address, entry.logFile);
  }
}

void StatsApp::RegisterServer(const std::string& name,
                              const std::string& address,
                              const std::string& logFile) {
  serverList_.AddServer(name, address, logFile);
  EnsureDirectory(ServerDirectory(config_.path(), name));
  EnsureDirectory(PlayersDirectory(config_.path(), name));
}

void StatsApp::OutputInternal() {
  if (!config_.IsMultiServer()) {
    RunServer(config_.serverName(), config_.serverAddress(), config_.logFile());
  } else {
    for (const MultiEntry& entry : config_.multi()) {
      RunServer(entry.name, entry.address, entry.logFile);
    }
  }
  WriteFrontPage();
}

void StatsApp::RunServer(const std::string& name, const std::string& address,
                         const std::string& logFile) {
  currentServerName_ = name;
  currentServerAddress_ = address;
  PopulateFromDAT();
  ParseLogFile(logFile);
  FlushToDAT();
  Output();
}

void StatsApp::PopulateFromDAT() {}

void StatsApp::ParseLogFile(const std::string& /*logPath*/) {}

void StatsApp::FlushToDAT() {}

void StatsApp::Output() {}

void StatsApp::WriteFrontPage() {}

void StatsApp::AccountEvent(const LogEvent& /*event*/) {}

}  // namespace kilnbook
