#include "app/stats_app.h"

#include <fcntl.h>
#include <unistd.h>

#include <cstdio>
#include <memory>
#include <string_view>

#include "app/directory.h"
#include "app/log_prepass.h"
#include "config/file_names.h"
#include "log/line_reader.h"
#include "log/log_parser.h"
#include "report/page_writer.h"
#include "report/summary_xml.h"
#include "store/atomic_file.h"
#include "store/data_file.h"

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

void StatsApp::PopulateFromDAT() {
  datFileUnusable_ = false;
  std::string path = DataFilePath(config_.path(), currentServerName_);
  int fd = ::open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0664);
  std::unique_ptr<FILE, int (*)(FILE*)> file(
      fd < 0 ? nullptr : ::fdopen(fd, "r+b"), &std::fclose);
  if (file == nullptr) {
    if (fd >= 0) {
      ::close(fd);
    }
    datFileUnusable_ = true;
    std::printf("Failed to open datfile '%s'\n", path.c_str());
    return;
  }
  LineReader reader(file.get());
  std::string_view line;
  while (reader.Next(line)) {
    if (line.find("SRV|") != std::string_view::npos) {
      LoadServerRecord(serverList_, currentServerName_, line);
    } else if (line.find("PLR|") != std::string_view::npos) {
      LoadPlayerRecord(serverList_, currentServerName_, line);
    }
  }
  // A file read only in part, or one whose directory takes no replacement,
  // would lose records or this run's games at the save; such a server's log
  // is left for a later run instead.
  AtomicFile probe(path);
  if (reader.Failed() || !probe.Open()) {
    datFileUnusable_ = true;
    std::printf("Failed to open datfile '%s'\n", path.c_str());
  }
}

void StatsApp::ParseLogFile(const std::string& logPath) {
  if (datFileUnusable_) {
    return;
  }
  LogParser parser;
  bool countable = SplitLogToTemp(logPath);
  // The server is looked up once for the whole log, not once per line.
  parser.Parse(kTempFileName, [server = serverList_.Find(currentServerName_),
                               countable](const LogEvent& event) {
    if (countable && server != nullptr) {
      server->Account(event);
    }
  });
}

void StatsApp::FlushToDAT() {
  if (datFileUnusable_) {
    return;
  }
  std::string text = ServerRecord(serverList_, currentServerName_);
  if (text.empty()) {
    return;  // unknown server: the file keeps what it holds
  }
  AtomicFile file(DataFilePath(config_.path(), currentServerName_));
  if (file.Open() && file.Write(text)) {
    file.Commit();
  }
}

void StatsApp::Output() {
  PlayerPages(serverList_, currentServerName_,
              PlayerPagesDirectory(config_.path(), currentServerName_));
  for (SortType type : kSortTypes) {
    WriteMainPage(type);
  }
}

void StatsApp::WriteMainPage(SortType type) {
  kilnbook::WriteMainPage(
      MainPagePath(config_.path(), currentServerName_, MainPageFileName(type)),
      StylesheetPath(config_.path(), kMainStylesheetName),
      [this, type] { return MainXml(type); });
}

void StatsApp::WriteFrontPage() {
  kilnbook::WriteFrontPage(FrontPagePath(config_.path()),
                           StylesheetPath(config_.path(), kFrontStylesheetName),
                           [this] { return FrontXml(); });
}

std::string StatsApp::MainXml(SortType type) const {
  ReportContext context{config_, configFile_, currentServerName_,
                        currentServerAddress_};
  return kilnbook::MainXml(context, serverList_, type, LocalTimeNow());
}

std::string StatsApp::FrontXml() const {
  ReportContext context{config_, configFile_, currentServerName_,
                        currentServerAddress_};
  return kilnbook::FrontXml(context, serverList_, LocalTimeNow());
}

std::string StatsApp::InfoXml() const {
  ReportContext context{config_, configFile_, currentServerName_,
                        currentServerAddress_};
  return kilnbook::InfoXml(context, LocalTimeNow());
}

std::string StatsApp::RulesXml() const {
  return kilnbook::RulesXml(configFile_);
}

void StatsApp::AccountEvent(const LogEvent& event) {
  if (Server* server = serverList_.Find(currentServerName_)) {
    server->Account(event);
  }
}

}  // namespace kilnbook
