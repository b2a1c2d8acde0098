// The application object: one batch run over the configured servers.
#ifndef KILNBOOK_APP_STATS_APP_H_
#define KILNBOOK_APP_STATS_APP_H_

#include <cstdint>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <set>
#include <string>
#include <utility>

#include "app/run_report.h"
#include "config/config.h"
#include "config/config_file.h"
#include "extra/extra_stats.h"
#include "log/log_event.h"
#include "model/server_list.h"
#include "report/extra_xml.h"
#include "report/page_renderer.h"
#include "report/sort_type.h"
#include "report/stylesheet.h"
#include "store/run_journal.h"

namespace kilnbook {

// Reads kilnbook.cfg from the working directory when built, registers the
// run's servers and makes their directories. OutputInternal() then handles
// each server in configuration order (load the data file, consume the
// finished games of the log, save, write the pages) and writes the front
// page last. Every failure is reported on standard output and the run goes
// on.
class StatsApp {
 public:
  StatsApp();

  StatsApp(const StatsApp&) = delete;
  StatsApp& operator=(const StatsApp&) = delete;

  // The whole run.
  void OutputInternal();

  // Stages, applied to the current server.
  void PopulateFromDAT();
  void ParseLogFile(const std::string& logPath);
  void FlushToDAT();
  void Output();

  // The front page over every registered server; once, after the last one.
  void WriteFrontPage();

  // A player's document as of now.
  std::string PlayerDocumentXml(const Player& player) const;
  // The games document of the current server, of its extended statistics
  // `extras` (EXTENDED_STATS on).
  std::string GamesXml(const ExtraStats& extras) const;
  std::string FrontXml() const;

  // Applies one log event to the current server.
  void AccountEvent(const LogEvent& event);

  const std::string& currentServerName() const { return currentServerName_; }
  const std::string& currentServerAddress() const {
    return currentServerAddress_;
  }
  const Config& config() const { return config_; }
  const ConfigFile& configFile() const { return configFile_; }
  ServerList& serverList() { return serverList_; }
  const ServerList& serverList() const { return serverList_; }
  // What the run did per server, once OutputInternal() returned.
  const RunReport& report() const { return report_; }

 private:
  void PrepareServers();
  void RegisterServer(const std::string& name, const std::string& address,
                      const std::string& logFile);
  void RunServer(const std::string& name, const std::string& address,
                 const std::string& logFile);

  // Completes every save that an interrupted run left, before any log is
  // split.
  void FinishInterruptedSaves();

  // Logs that must not be consumed in this run because a save that counted
  // their games is not finished; by file identity, and by path for a log
  // that does not exist now.
  void BlockLog(const std::string& logPath);
  bool LogBlocked(const std::string& logPath) const;

  // Read once; every Config of the run is parsed from these bytes.
  ConfigFile configFile_;
  std::string currentServerName_;
  std::string currentServerAddress_;
  // Set when the current server's games must stay in its log this run: its
  // data file or extended state cannot be read whole or replaced, or its
  // finished games could not be read back. The log is then not consumed and
  // no file written, so that no game is lost.
  bool leaveLog_ = false;
  // How the current server's log is to be rewritten once its games are
  // saved; set by ParseLogFile, used by FlushToDAT.
  std::optional<LogRewrite> rewrite_;
  std::set<std::string> blockedServers_;
  std::set<std::pair<uint64_t, uint64_t>> blockedLogs_;
  std::set<std::string> blockedLogPaths_;

  // EXTENDED_STATS: the run's time, at which its games are booked, and each
  // server's extended statistics. A server with a state file of another
  // format is left out (neither state file is touched).
  std::time_t runTime_;
  ExtraStatsMap extras_;
  // The current server's, or null when EXTENDED_STATS is off or its state
  // could not be read.
  ExtraStats* CurrentExtras();
  const ExtraStats* CurrentExtras() const;
  // The same, as the documents show it.
  std::optional<ExtraReport> CurrentExtraReport() const;
  // Loads the server's state files (kilnbook_extra.dat, then
  // kilnbook_games.dat). False when one exists but cannot be read.
  bool LoadExtras();
  // Reads the current server's data file; false when it cannot be read
  // whole, or its directory takes no replacement: the save would then lose
  // records or this run's games, so the log is left for a later run.
  bool LoadDataFile(const std::string& path);

  // The current server's ServerStatsXml, which the main documents of every
  // sort type and those of the ladder and the maps page share: built once
  // per Output(), by the first of their documents to be built, on whichever
  // thread that is.
  struct SharedServerStats {
    std::once_flag built;
    std::string text;
  };
  // MainXml(type) around the shared text.
  std::string MainXml(SortType type, SharedServerStats& serverStats) const;

  // The stages of Output.
  void RemoveLeftoverPages() const;
  void AddPlayerPages(PageRenderer& renderer, const Server& server);
  void AddMainPages(PageRenderer& renderer,
                    const std::shared_ptr<SharedServerStats>& serverStats);
  void AddExtendedPages(PageRenderer& renderer,
                        const std::shared_ptr<SharedServerStats>& serverStats);
  void AddGamePages(PageRenderer& renderer);
  void RemoveDroppedGamePages() const;
  void RenderPages(PageRenderer& renderer) const;
  void WriteFeed(const Server& server) const;

  // Without a configuration file every document prints its message as it
  // is built: the pages are then made one after the other, in order, and
  // without the render cache.
  size_t PageThreads() const;

  // A stylesheet of PATH as this run's pages use it.
  std::shared_ptr<const PageStyle> RunPageStyle(
      const std::string& stylesheetPath);
  std::map<std::string, std::shared_ptr<const Stylesheet>> stylesheets_;
  ServerList serverList_;
  Config config_;
  RunReport report_;
};

}  // namespace kilnbook

#endif  // KILNBOOK_APP_STATS_APP_H_
