#include "app/stats_app.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <memory>
#include <string_view>
#include <thread>
#include <utility>
#include <vector>

#include "app/directory.h"
#include "app/log_prepass.h"
#include "app/server_save.h"
#include "config/file_names.h"
#include "log/line_reader.h"
#include "log/log_parser.h"
#include "report/game_xml.h"
#include "report/games_xml.h"
#include "report/json_feed.h"
#include "report/page_file.h"
#include "report/page_renderer.h"
#include "report/player_xml.h"
#include "report/stylesheet.h"
#include "report/summary_xml.h"
#include "store/atomic_file.h"
#include "store/data_file.h"
#include "store/fd.h"

namespace kilnbook {

namespace {

// How a state file of the extended statistics was read.
enum class StateLoad { kLoaded, kUnreadable, kOtherVersion };

// Hands the text of the state file at `path` to `load`, which returns false
// for a file of another format version; a missing file has nothing to load.
// Prints "Failed to open datfile '%s'\n" for a file that cannot be read or
// does not load.
template <typename Load>
StateLoad LoadStateFile(const std::string& path, Load load) {
  struct stat info;
  if (::stat(path.c_str(), &info) != 0 && errno == ENOENT) {
    return StateLoad::kLoaded;
  }
  std::optional<std::string> text = ReadAll(path);
  if (!text || !load(std::string_view(*text))) {
    std::printf("Failed to open datfile '%s'\n", path.c_str());
    return text ? StateLoad::kOtherVersion : StateLoad::kUnreadable;
  }
  return StateLoad::kLoaded;
}

// Every core: pages are independent of each other.
size_t RenderThreads() {
  unsigned cores = std::thread::hardware_concurrency();
  return cores == 0 ? 1 : cores;
}

}  // namespace

std::shared_ptr<const PageStyle> StatsApp::RunPageStyle(
    const std::string& stylesheetPath) {
  // Compiled once per run, and again only when its bytes changed.
  std::shared_ptr<const Stylesheet>& sheet = stylesheets_[stylesheetPath];
  std::optional<std::string> bytes = ReadAll(stylesheetPath);
  if (sheet == nullptr || !bytes || *bytes != sheet->bytes()) {
    sheet =
        std::make_shared<const Stylesheet>(Stylesheet::Load(stylesheetPath));
  }
  return PageStyle::Of(sheet);
}

StatsApp::StatsApp()
    : configFile_(ConfigFile::Read()),
      runTime_(std::time(nullptr)),
      serverList_(configFile_),
      config_(configFile_) {
  PrepareServers();
}

void StatsApp::PrepareServers() {
  for (const MultiEntry& entry : config_.Servers()) {
    RegisterServer(entry.name, entry.address, entry.logFile);
  }
}

void StatsApp::RegisterServer(const std::string& name,
                              const std::string& address,
                              const std::string& logFile) {
  serverList_.AddServer(name, address, logFile);
  EnsureDirectory(ServerDirectory(config_.path(), name));
  EnsureDirectory(PlayersDirectory(config_.path(), name));
  if (config_.extendedStats()) {
    EnsureDirectory(GamesDirectory(config_.path(), name));
  }
}

void StatsApp::OutputInternal() {
  FinishInterruptedSaves();
  for (const MultiEntry& entry : config_.Servers()) {
    RunServer(entry.name, entry.address, entry.logFile);
  }
  WriteFrontPage();
}

void StatsApp::FinishInterruptedSaves() {
  // Before any log is split: a log that an interrupted save was consuming may
  // be shared with a server that comes earlier in the run.
  auto finish = [this](const std::string& name, const std::string& logFile) {
    Recovery recovery =
        FinishInterruptedSave(ServerDirectory(config_.path(), name), name,
                              logFile, StagedFileNames());
    if (recovery == Recovery::kFailed) {
      blockedServers_.insert(name);
      BlockLog(logFile);
    }
  };
  for (const MultiEntry& entry : config_.Servers()) {
    finish(entry.name, entry.logFile);
  }
}

void StatsApp::BlockLog(const std::string& logPath) {
  struct stat info;
  if (::stat(logPath.c_str(), &info) == 0) {
    blockedLogs_.insert({static_cast<uint64_t>(info.st_dev),
                         static_cast<uint64_t>(info.st_ino)});
  }
  blockedLogPaths_.insert(logPath);
}

bool StatsApp::LogBlocked(const std::string& logPath) const {
  struct stat info;
  if (::stat(logPath.c_str(), &info) == 0 &&
      blockedLogs_.count({static_cast<uint64_t>(info.st_dev),
                          static_cast<uint64_t>(info.st_ino)}) != 0) {
    return true;
  }
  return blockedLogPaths_.count(logPath) != 0;
}

void StatsApp::RunServer(const std::string& name, const std::string& address,
                         const std::string& logFile) {
  currentServerName_ = name;
  currentServerAddress_ = address;
  report_.BeginServer(name);
  PopulateFromDAT();
  report_.NoteLoaded(serverList_.Find(name));
  report_.EndStage(RunStage::kLoad);
  ParseLogFile(logFile);
  report_.EndStage(RunStage::kLog);
  FlushToDAT();
  report_.EndStage(RunStage::kSave);
  Output();
  report_.EndStage(RunStage::kPages);
}

void StatsApp::PopulateFromDAT() {
  leaveLog_ = false;
  rewrite_.reset();
  std::string path = DataFilePath(config_.path(), currentServerName_);
  if (!LoadDataFile(path)) {
    leaveLog_ = true;
    std::printf("Failed to open datfile '%s'\n", path.c_str());
  }
  // The pages show what the state files hold even when this run may not add
  // to them.
  if (config_.extendedStats() && !LoadExtras()) {
    leaveLog_ = true;
  }
}

bool StatsApp::LoadDataFile(const std::string& path) {
  int fd = ::open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0664);
  std::unique_ptr<FILE, int (*)(FILE*)> file(
      fd < 0 ? nullptr : ::fdopen(fd, "r+b"), &std::fclose);
  if (file == nullptr) {
    if (fd >= 0) {
      ::close(fd);
    }
    return false;
  }
  LineReader reader(file.get());
  std::string_view line;
  while (reader.Next(line)) {
    LoadRecordLine(serverList_, currentServerName_, line);
  }
  // A server whose interrupted save is not finished is not probed at all:
  // its staged files must stay as they are, and its log is left anyway.
  return !reader.Failed() && (blockedServers_.count(currentServerName_) != 0 ||
                              DirectoryTakesNewFiles(ServerDirectory(
                                  config_.path(), currentServerName_)));
}

bool StatsApp::LoadExtras() {
  extras_.erase(currentServerName_);
  ExtraStats stats;
  StateLoad load = LoadStateFile(
      ExtraStateFilePath(config_.path(), currentServerName_),
      [&stats](std::string_view text) { return stats.LoadState(text); });
  if (load == StateLoad::kLoaded) {
    load = LoadStateFile(
        GamesStateFilePath(config_.path(), currentServerName_),
        [&stats](std::string_view text) { return stats.LoadGamesState(text); });
  }
  if (load == StateLoad::kUnreadable) {
    // Unreadable now: its games must wait for a run that can add to it.
    return false;
  }
  if (load == StateLoad::kOtherVersion) {
    // Written by another version: both files are left as they are, and the
    // server's extended statistics are out of this run.
    return true;
  }
  stats.SetGamesKept(config_.keepGames());
  extras_.insert_or_assign(currentServerName_, std::move(stats));
  return true;
}

const ExtraStats* StatsApp::CurrentExtras() const {
  if (!config_.extendedStats()) {
    return nullptr;
  }
  auto it = extras_.find(currentServerName_);
  return it == extras_.end() ? nullptr : &it->second;
}

ExtraStats* StatsApp::CurrentExtras() {
  return const_cast<ExtraStats*>(std::as_const(*this).CurrentExtras());
}

std::optional<ExtraReport> StatsApp::CurrentExtraReport() const {
  const ExtraStats* extras = CurrentExtras();
  if (extras == nullptr) {
    return std::nullopt;
  }
  return ExtraReport{*extras, runTime_};
}

void StatsApp::ParseLogFile(const std::string& logPath) {
  rewrite_.reset();
  // An unfinished save of this server, or of another on the same log, must be
  // completed before the log is read again.
  if (leaveLog_ || blockedServers_.count(currentServerName_) != 0 ||
      LogBlocked(logPath)) {
    // Another server sharing the log must not take this one's games either.
    BlockLog(logPath);
    return;
  }
  LogSplit split = SplitLogToTemp(logPath);
  LogParser parser;
  if (!split.countable) {
    BlockLog(logPath);
    leaveLog_ = true;
    report_.NoteLogFailed();
    // Only for its report of a kilnbook.tmp that could not be made.
    parser.Parse(kTempFileName, [](const LogEvent&) {});
    return;
  }
  // The server is looked up once for the whole log, not once per line.
  Server* server = serverList_.Find(currentServerName_);
  ExtraStats* extras = CurrentExtras();
  bool parsed;
  if (extras != nullptr && server != nullptr) {
    // The extended statistics read the time column and arguments that the
    // events leave out.
    extras->BeginRun(runTime_);
    parsed = parser.Parse(
        kTempFileName,
        [server, extras](std::string_view line, const LogEvent& event) {
          server->Account(event);
          extras->AccountLine(line, event);
        });
    extras->EndRun();
  } else {
    parsed = parser.Parse(kTempFileName, [server](const LogEvent& event) {
      if (server != nullptr) {
        server->Account(event);
      }
    });
  }
  if (!parsed) {
    // Games read only in part are not saved: the log keeps all of them.
    std::printf("Failed to rewrite logfile: %s\n", logPath.c_str());
    BlockLog(logPath);
    leaveLog_ = true;
    report_.NoteLogFailed();
    return;
  }
  rewrite_ = std::move(split.rewrite);
}

void StatsApp::FlushToDAT() {
  if (leaveLog_ || blockedServers_.count(currentServerName_) != 0) {
    return;
  }
  std::string text = ServerRecord(serverList_, currentServerName_);
  if (text.empty()) {
    return;  // unknown server: the file keeps what it holds
  }
  ServerSave save(ServerDirectory(config_.path(), currentServerName_),
                  currentServerName_);
  save.Add(kDataFileName, std::move(text));
  if (ExtraStats* extras = CurrentExtras()) {
    save.Add(kExtraStateFileName, extras->StateText());
    save.Add(kGamesStateFileName, extras->GamesStateText());
  }
  std::optional<LogRewrite> rewrite = std::move(rewrite_);
  rewrite_.reset();
  std::string logPath = rewrite ? rewrite->path : std::string();
  bool counted = rewrite && rewrite->consumed > 0;
  uint64_t consumed = rewrite ? rewrite->consumed : 0;
  ServerSave::Outcome outcome = save.Commit(std::move(rewrite));
  if (outcome != ServerSave::Outcome::kNotSaved) {
    report_.NoteSaved(*serverList_.Find(currentServerName_), consumed);
  }
  // Games left in the log (not saved, or saved but the log not rewritten)
  // wait for the next run; no other server of this run may take them.
  if (outcome == ServerSave::Outcome::kUnfinished ||
      (outcome == ServerSave::Outcome::kNotSaved && counted)) {
    BlockLog(logPath);
  }
}

void StatsApp::Output() {
  Server* server = serverList_.Find(currentServerName_);
  if (server == nullptr) {
    return;
  }
  server->PrunePlayers();
  RemoveLeftoverPages();
  RemoveDroppedGamePages();
  PageRenderer renderer(PageThreads());
  AddPlayerPages(renderer, *server);
  auto serverStats = std::make_shared<SharedServerStats>();
  AddMainPages(renderer, serverStats);
  AddExtendedPages(renderer, serverStats);
  RenderPages(renderer);
  report_.NotePages(renderer.counts());
  WriteFeed(*server);
}

size_t StatsApp::PageThreads() const {
  return configFile_.text() ? RenderThreads() : PageRenderer::kInOrder;
}

void StatsApp::RemoveLeftoverPages() const {
  PageFile::RemoveLeftovers(
      ServerDirectory(config_.path(), currentServerName_));
  PageFile::RemoveLeftovers(
      PlayersDirectory(config_.path(), currentServerName_));
  if (CurrentExtras() != nullptr) {
    PageFile::RemoveLeftovers(
        GamesDirectory(config_.path(), currentServerName_));
  }
}

void StatsApp::AddPlayerPages(PageRenderer& renderer, const Server& server) {
  std::shared_ptr<const PageStyle> style =
      RunPageStyle(StylesheetPath(config_.path(), kPlayerStylesheetName));
  std::string directory =
      PlayerPagesDirectory(config_.path(), currentServerName_);
  for (const auto& [name, player] : server.playerTable().players()) {
    if (!player->MeetsThresholds()) {
      continue;
    }
    std::string fileName = PlayerPageFileName(player->stats().plainName);
    const Player* shown = player.get();
    renderer.Add(
        PageKind::kPlayer, directory + fileName, style,
        [this, shown] { return PlayerDocumentXml(*shown); },
        "kilnplayers/" + fileName);
  }
}

void StatsApp::AddMainPages(
    PageRenderer& renderer,
    const std::shared_ptr<SharedServerStats>& serverStats) {
  std::shared_ptr<const PageStyle> style =
      RunPageStyle(StylesheetPath(config_.path(), kMainStylesheetName));
  for (SortType type : kSortTypes) {
    renderer.Add(PageKind::kMain,
                 MainPagePath(config_.path(), currentServerName_,
                              MainPageFileName(type)),
                 style, [this, type, serverStats] {
                   return MainXml(type, *serverStats);
                 });
  }
}

// The ladder and the maps page read the main document too; the games list
// reads the games document, made anew each run like the main pages.
void StatsApp::AddExtendedPages(
    PageRenderer& renderer,
    const std::shared_ptr<SharedServerStats>& serverStats) {
  const ExtraStats* extras = CurrentExtras();
  if (extras == nullptr) {
    return;
  }
  auto add = [&](const char* stylesheetName, const char* pageName) {
    renderer.Add(
        PageKind::kMain,
        MainPagePath(config_.path(), currentServerName_, pageName),
        RunPageStyle(StylesheetPath(config_.path(), stylesheetName)),
        [this, serverStats] { return MainXml(SortType::NONE, *serverStats); });
  };
  add(kLadderStylesheetName, kLadderPageName);
  add(kMapsStylesheetName, kMapsPageName);
  renderer.Add(
      PageKind::kMain,
      MainPagePath(config_.path(), currentServerName_, kGamesPageName),
      RunPageStyle(StylesheetPath(config_.path(), kGamesStylesheetName)),
      [this, extras] { return GamesXml(*extras); });
  AddGamePages(renderer);
}

// A kept game's document never changes: the render cache keeps its page
// until the stylesheet (or the program) changes, so a run makes the pages of
// the games it counted and no other.
void StatsApp::AddGamePages(PageRenderer& renderer) {
  const ExtraStats* extras = CurrentExtras();
  std::shared_ptr<const PageStyle> style =
      RunPageStyle(StylesheetPath(config_.path(), kGameStylesheetName));
  // A stylesheet that does not compile fails the pages of this run's games
  // only, not every kept game's in every run.
  bool compiled = style->compiled;
  std::string directory =
      GamesDirectory(config_.path(), currentServerName_) + "/";
  for (const GameRecord& game : extras->games().games()) {
    if (!compiled && !extras->games().AddedThisRun(game.number)) {
      continue;
    }
    std::string fileName = GamePageFileName(game.number);
    const GameRecord* shown = &game;
    renderer.Add(
        PageKind::kGame, directory + fileName, style,
        [this, shown] { return GameDocumentXml(currentServerName_, *shown); },
        std::string(kGamesDirectoryName) + "/" + fileName);
  }
}

// The pages of the games this run let go; the next run's cache forgets
// them.
void StatsApp::RemoveDroppedGamePages() const {
  const ExtraStats* extras = CurrentExtras();
  if (extras == nullptr) {
    return;
  }
  std::vector<std::string> fileNames;
  for (int64_t number : extras->games().dropped()) {
    fileNames.push_back(GamePageFileName(number));
  }
  PageFile::RemovePages(ServerDirectory(config_.path(), currentServerName_),
                        kGamesDirectoryName, fileNames);
}

void StatsApp::RenderPages(PageRenderer& renderer) const {
  if (PageThreads() == PageRenderer::kInOrder) {
    renderer.Run(nullptr);
    return;
  }
  std::string cachePath =
      RenderCacheFilePath(config_.path(), currentServerName_);
  RenderCache cache = RenderCache::Load(cachePath);
  renderer.Run(&cache);
  cache.Save(cachePath);
}

void StatsApp::WriteFeed(const Server& server) const {
  const ExtraStats* extras = CurrentExtras();
  if (extras == nullptr) {
    return;
  }
  std::string feedPath = FeedFilePath(config_.path(), currentServerName_);
  AtomicFile feed(feedPath, AtomicFile::Durability::kUnsynced);
  if (!feed.Open() || !feed.Write(FeedJson(server, *extras, runTime_)) ||
      !feed.Commit()) {
    std::printf("Failed to write page: %s\n", feedPath.c_str());
  }
}

void StatsApp::WriteFrontPage() {
  PageRenderer renderer(PageRenderer::kInOrder);
  const std::string& path = config_.path();
  renderer.Add(PageKind::kFront, FrontPagePath(path),
               RunPageStyle(StylesheetPath(path, kFrontStylesheetName)),
               [this] { return FrontXml(); });
  renderer.Run(nullptr);
}

std::string StatsApp::MainXml(SortType type,
                              SharedServerStats& serverStats) const {
  ReportContext context{config_, configFile_, currentServerName_,
                        currentServerAddress_};
  std::tm localTime = LocalTimeNow();
  std::call_once(serverStats.built, [&] {
    std::optional<ExtraReport> extra = CurrentExtraReport();
    serverStats.text = ServerStatsXml(serverList_, currentServerName_,
                                      extra ? &*extra : nullptr);
  });
  return kilnbook::MainXml(context, type, localTime, serverStats.text);
}

std::string StatsApp::GamesXml(const ExtraStats& extras) const {
  ReportContext context{config_, configFile_, currentServerName_,
                        currentServerAddress_};
  return GamesDocumentXml(context, extras.games(), LocalTimeNow());
}

std::string StatsApp::PlayerDocumentXml(const Player& player) const {
  std::optional<ExtraReport> extra = CurrentExtraReport();
  return kilnbook::PlayerDocumentXml(player, extra ? &*extra : nullptr);
}

std::string StatsApp::FrontXml() const {
  ReportContext context{config_, configFile_, currentServerName_,
                        currentServerAddress_};
  ExtraFrontReport extra{extras_, runTime_};
  return kilnbook::FrontXml(context, serverList_, LocalTimeNow(),
                            config_.extendedStats() ? &extra : nullptr);
}

void StatsApp::AccountEvent(const LogEvent& event) {
  if (Server* server = serverList_.Find(currentServerName_)) {
    server->Account(event);
  }
}

}  // namespace kilnbook
