#include "app/install_check.h"

#include <fcntl.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdint>
#include <cstring>
#include <optional>
#include <set>
#include <string_view>
#include <vector>

#include "app/config_check.h"
#include "app/server_save.h"
#include "config/file_names.h"
#include "extra/extra_stats.h"
#include "log/game_end_check.h"
#include "log/log_parser.h"
#include "model/server_list.h"
#include "report/stylesheet.h"
#include "store/data_file.h"
#include "store/fd.h"

namespace kilnbook {

namespace {

constexpr const char kDefaultsDirectory[] = "/usr/share/kilnbook/";

bool Exists(const std::string& path, struct stat& info) {
  return ::stat(path.c_str(), &info) == 0;
}

// As the run's own opens would be judged: effective user and groups.
bool MayWrite(const std::string& path) {
  return ::faccessat(AT_FDCWD, path.c_str(), W_OK, AT_EACCESS) == 0;
}

bool MayCreateIn(const std::string& directory) {
  return ::faccessat(AT_FDCWD, directory.c_str(), W_OK | X_OK, AT_EACCESS) == 0;
}

// The directory that holds `path`: "." for a bare name.
std::string Parent(std::string path) {
  while (path.size() > 1 && path.back() == '/') {
    path.pop_back();
  }
  size_t slash = path.rfind('/');
  if (slash == std::string::npos) {
    return ".";
  }
  return slash == 0 ? "/" : path.substr(0, slash);
}

std::string Count(uint64_t count, std::string_view word) {
  return std::to_string(count) + " " + std::string(word) +
         (count == 1 ? "" : "s");
}

// What a log holds, read the way the run reads it.
struct LogScan {
  uint64_t size = 0;
  // Complete lines (ended by a line feed) that end a game: the games a run
  // would count now.
  uint64_t finishedGames = 0;
  // The kind of the first line that carries an event (separator lines and
  // empty ones carry none).
  std::optional<LogEventKind> firstEvent;
  int error = 0;  // of a failed read
};

// The start of a line is enough to tell its keyword.
constexpr size_t kLineStartLimit = 4096;

LogScan ScanLog(int fd) {
  LogScan scan;
  GameEndCheck check;
  std::string line;  // the start of the current line, until an event is found
  auto noteFirstEvent = [&scan, &line] {
    LogEventKind kind = LogParser::ParseLine(line).kind;
    if (kind != LogEventKind::Unrecognized) {
      scan.firstEvent = kind;
    }
  };
  bool read = ReadBlocks(fd, 0, UINT64_MAX, [&](std::string_view data) {
    scan.size += data.size();
    while (!data.empty()) {
      size_t newline = data.find('\n');
      std::string_view piece = data.substr(0, newline);
      check.Feed(piece);
      if (!scan.firstEvent) {
        line.append(piece.substr(
            0, kLineStartLimit - std::min(kLineStartLimit, line.size())));
      }
      if (newline == std::string_view::npos) {
        break;
      }
      scan.finishedGames += check.endsGame() ? 1 : 0;
      check = GameEndCheck();
      if (!scan.firstEvent) {
        noteFirstEvent();
        line.clear();
      }
      data.remove_prefix(newline + 1);
    }
  });
  scan.error = read ? 0 : errno;
  if (!scan.firstEvent) {
    noteFirstEvent();
  }
  return scan;
}

// A journal left by an interrupted save: the next run finishes it when it
// belongs to this server and its log, and leaves the server alone otherwise.
void CheckPendingJournal(const std::string& path, const std::string& name,
                         const std::string& logFile, CheckOutput& out) {
  struct stat info;
  if (::lstat(path.c_str(), &info) != 0) {
    return;
  }
  out.Item("journal " + PathText(path) + ": an interrupted save is pending");
  std::optional<std::string> text = ReadAll(path);
  if (!text) {
    out.Error("it cannot be read, so the run leaves this server alone; " +
              std::string("check the disk and the directory's permissions"));
    return;
  }
  if (!JournalOf(*text, name, logFile, StagedFileNames())) {
    out.Error(
        "it does not match this server, so the run leaves the server "
        "alone; restore the configuration it was saved with, or remove "
        "it");
    return;
  }
  out.Note("the next run finishes it before it reads any log");
}

std::string UserName() {
  if (const passwd* entry = ::getpwuid(::geteuid())) {
    return entry->pw_name;
  }
  return std::to_string(::geteuid());
}

}  // namespace

InstallCheck::InstallCheck() : user_(UserName()) {}

std::string InstallCheck::GiveAccess(const std::string& access,
                                     const std::string& path) const {
  return "give the user " + user_ + " " + access + " access to " +
         PathText(path);
}

std::string InstallCheck::Run() {
  char cwd[PATH_MAX];
  std::string workingDirectory =
      ::getcwd(cwd, sizeof cwd) != nullptr ? cwd : ".";
  out_.Heading("Checked as user " + user_ + " in " + workingDirectory);
  if (::geteuid() == 0) {
    out_.Note(
        "root may read and write what the user of the runs cannot: "
        "check as that user (sudo -u kilnbook kilnbook --check -C " +
        workingDirectory + ")");
  }
  if (CheckConfigFile(workingDirectory)) {
    CheckWorkingDirectory(workingDirectory);
    for (const MultiEntry& entry : config_->Servers()) {
      CheckServer(entry.name, entry.address, entry.logFile);
    }
    CheckStylesheets();
    CheckFrontPage();
  }
  return out_.text() + Summary();
}

bool InstallCheck::CheckConfigFile(const std::string& workingDirectory) {
  configFile_ = ConfigFile::Read(kConfigFileName);
  config_ = configFile_.values().get();
  std::string path = workingDirectory + "/" + kConfigFileName;
  out_.Heading("Configuration " + path + ":");
  if (!configFile_.text()) {
    struct stat info;
    if (Exists(kConfigFileName, info)) {
      out_.Item("cannot be read");
      out_.Error("a run would find no configuration; " +
                 GiveAccess("read", path));
    } else {
      out_.Item("missing");
      out_.Error(std::string("a run would find no configuration: write ") +
                 kConfigFileName + " here (an example is " +
                 kDefaultsDirectory + kConfigFileName +
                 "), or name its directory with -C");
    }
    return false;
  }
  CheckConfigLines(*configFile_.text(), *config_, out_);
  CheckConfigServers(*config_, out_);
  return true;
}

void InstallCheck::CheckWorkingDirectory(const std::string& workingDirectory) {
  out_.Heading("Working directory " + workingDirectory + ":");
  bool writable = true;
  for (const char* name : {kTempFileName, kDumpFileName}) {
    struct stat info;
    writable =
        writable && (Exists(name, info) ? MayWrite(name) : MayCreateIn("."));
  }
  out_.Item(std::string("the run writes ") + kTempFileName + " and " +
            kDumpFileName + " here");
  if (!writable) {
    out_.Error("they cannot be written, so no game would be counted; " +
               GiveAccess("write", workingDirectory));
  }
}

void InstallCheck::CheckServer(const std::string& name,
                               const std::string& address,
                               const std::string& logFile) {
  out_.Heading("Server " + Quoted(name) + ":");
  std::string directory = ServerDirectory(config_->path(), name);
  DirectoryState state = CheckDirectory("directory", directory);
  std::string players = PlayersDirectory(config_->path(), name);
  if (state == DirectoryState::kReady) {
    CheckDirectory("directory", players);
  } else if (state == DirectoryState::kCreatedByRun) {
    out_.Item("directory " + PathText(players) + ": made with the one above");
  }
  CheckLog(logFile);
  CheckDataFile(name, address, logFile, state);
  CheckPendingJournal(JournalFilePath(config_->path(), name), name, logFile,
                      out_);
  CheckExtraState(name, state);
}

std::string InstallCheck::MissingFile(DirectoryState directory) {
  return directory == DirectoryState::kUnusable
             ? "missing (see the directory above)"
             : "missing; the first run creates it";
}

InstallCheck::DirectoryState InstallCheck::CheckDirectory(
    const std::string& what, const std::string& path) {
  std::string item = what + " " + PathText(path) + ": ";
  struct stat info;
  if (Exists(path, info)) {
    if (!S_ISDIR(info.st_mode)) {
      out_.Item(item + "not a directory");
      out_.Error("the run cannot write into it; move it away");
      return DirectoryState::kUnusable;
    }
    if (!MayCreateIn(path)) {
      out_.Item(item + "exists, not writable");
      out_.Error("the run cannot write its files; " +
                 GiveAccess("write", path));
      return DirectoryState::kUnusable;
    }
    out_.Item(item + "exists, writable");
    return DirectoryState::kReady;
  }
  std::string parent = Parent(path);
  if (!Exists(parent, info) || !S_ISDIR(info.st_mode)) {
    out_.Item(item + "missing, and so is " + PathText(parent));
    out_.Error("the run creates only the last directory of the path: create " +
               PathText(parent) + " (PATH must exist)");
    return DirectoryState::kUnusable;
  }
  if (!MayCreateIn(parent)) {
    out_.Item(item + "missing");
    out_.Error("the run cannot create it; " + GiveAccess("write", parent) +
               ", or create it for that user");
    return DirectoryState::kUnusable;
  }
  out_.Item(item + "missing; the first run creates it");
  return DirectoryState::kCreatedByRun;
}

void InstallCheck::CheckLog(const std::string& path) {
  std::string item = "log " + PathText(path) + ": ";
  struct stat info;
  if (!Exists(path, info)) {
    out_.Item(item + "missing");
    out_.Warning(
        "a run creates it empty and counts nothing until the game "
        "server writes it there: check the log path");
    return;
  }
  if (!S_ISREG(info.st_mode)) {
    out_.Item(item + "not a file");
    out_.Error("the run cannot read games from it: check the log path");
    return;
  }
  Fd fd(::open(path.c_str(), O_RDONLY | O_CLOEXEC));
  if (!fd.ok()) {
    out_.Item(item + "cannot be read");
    out_.Error("its games would never be counted; " +
               GiveAccess("read and write", path));
    return;
  }
  LogScan scan = ScanLog(fd.get());
  if (scan.error != 0) {
    out_.Item(item + "cannot be read to its end");
    out_.Error(std::string("reading it fails: ") + std::strerror(scan.error));
    return;
  }
  bool rewritable = MayWrite(path);
  bool startsWithInitGame =
      !scan.firstEvent || *scan.firstEvent == LogEventKind::InitGame;
  out_.Item(
      item + Count(scan.size, "byte") + ", readable" +
      (rewritable ? " and rewritable" : "") +
      (scan.firstEvent && startsWithInitGame ? ", starts with InitGame" : "") +
      "; " + Count(scan.finishedGames, "finished game") + " waiting");
  if (!rewritable) {
    out_.Error(
        "the run cannot take its finished games out of it, so none "
        "is counted; " +
        GiveAccess("write", path));
    return;
  }
  if (logsCounted_.insert(path).second) {
    gamesWaiting_ += scan.finishedGames;
  }
  if (!startsWithInitGame) {
    out_.Warning(
        "its first event is not InitGame: the players of its "
        "first game cannot be named (\"Your logfile has proably "
        "not started on game init\"); the next complete game is "
        "counted whole");
  }
}

void InstallCheck::CheckDataFile(const std::string& name,
                                 const std::string& address,
                                 const std::string& logFile,
                                 DirectoryState directory) {
  std::string path = DataFilePath(config_->path(), name);
  std::string item = "data file " + PathText(path) + ": ";
  struct stat info;
  if (!Exists(path, info)) {
    out_.Item(item + MissingFile(directory));
    return;
  }
  std::optional<std::string> text = ReadAll(path);
  if (!S_ISREG(info.st_mode) || !text) {
    out_.Item(item + "cannot be read");
    out_.Error("the run would leave the server's games in its log; " +
               GiveAccess("read and write", path));
    return;
  }
  ServerList servers(configFile_);
  servers.AddServer(name, address, logFile);
  std::string_view rest = *text;
  while (!rest.empty()) {
    size_t newline = rest.find('\n');
    std::string_view line = rest.substr(0, newline);
    LoadRecordLine(servers, name, line);
    rest.remove_prefix(newline == std::string_view::npos ? rest.size()
                                                         : newline + 1);
  }
  const Server* server = servers.Find(name);
  out_.Item(
      item + "loads; " +
      Count(server->playerTable().players().size(), "player") + ", " +
      Count(static_cast<uint32_t>(server->counters().GAMESHUTDOWN), "game") +
      " counted so far");
  if (!MayWrite(path)) {
    out_.Error(
        "the run cannot save it, and leaves the server's games in its "
        "log; " +
        GiveAccess("write", path));
  }
}

void InstallCheck::CheckExtraState(const std::string& name,
                                   DirectoryState directory) {
  ExtraStats stats;
  CheckStateFile(
      "extended statistics", ExtraStateFilePath(config_->path(), name),
      directory,
      [&stats](std::string_view text) { return stats.LoadState(text); });
  CheckStateFile(
      "kept games", GamesStateFilePath(config_->path(), name), directory,
      [&stats](std::string_view text) { return stats.LoadGamesState(text); });
}

void InstallCheck::CheckStateFile(
    const std::string& what, const std::string& path, DirectoryState directory,
    const std::function<bool(std::string_view)>& load) {
  std::string item = what + " " + PathText(path) + ": ";
  struct stat info;
  bool exists = Exists(path, info);
  if (!config_->extendedStats()) {
    if (exists) {
      out_.Item(item + "kept, not updated");
      out_.Note("EXTENDED_STATS is off");
    }
    return;
  }
  if (!exists) {
    out_.Item(item + MissingFile(directory));
    return;
  }
  std::optional<std::string> text = ReadAll(path);
  if (!text) {
    out_.Item(item + "cannot be read");
    out_.Error(
        "the run leaves the server's games in its log until it can "
        "read the file; " +
        GiveAccess("read", path));
  } else if (!load(*text)) {
    out_.Item(item + "does not load");
    out_.Error(
        "it is damaged or of another version: the run leaves it alone "
        "and keeps no extended statistics for the server; restore it "
        "from a backup, or move it away to start them afresh");
  } else {
    out_.Item(item + "loads");
  }
}

void InstallCheck::CheckStylesheets() {
  out_.Heading(std::string("Stylesheets (EXTENDED_STATS ") +
               (config_->extendedStats() ? "on" : "off") + "):");
  std::vector<const char*> names = {kMainStylesheetName, kFrontStylesheetName,
                                    kPlayerStylesheetName};
  if (config_->extendedStats()) {
    names.push_back(kLadderStylesheetName);
    names.push_back(kMapsStylesheetName);
    names.push_back(kGamesStylesheetName);
    names.push_back(kGameStylesheetName);
  }
  for (const char* name : names) {
    std::string path = StylesheetPath(config_->path(), name);
    StylesheetDiagnosis diagnosis = DiagnoseStylesheet(path);
    if (!diagnosis.readable) {
      struct stat info;
      bool exists = Exists(path, info);
      out_.Item(PathText(path) + (exists ? ": cannot be read" : ": missing"));
      out_.Error("its pages would be left empty; " +
                 (exists ? GiveAccess("read", path)
                         : std::string("copy the default ") + name + " from " +
                               kDefaultsDirectory + " into PATH"));
      continue;
    }
    out_.Item(PathText(path) +
              (diagnosis.compiled ? ": compiles" : ": does not compile"));
    if (!diagnosis.compiled) {
      out_.Error("its pages would be left empty; libxslt says:");
      for (const std::string& message : diagnosis.messages) {
        out_.Detail(message);
      }
      continue;
    }
    for (const std::string& message : diagnosis.messages) {
      out_.Warning(message);
    }
  }
}

void InstallCheck::CheckFrontPage() {
  std::string path = FrontPagePath(config_->path());
  std::string directory = Parent(path);
  out_.Heading("Front page " + PathText(path) + ":");
  struct stat info;
  bool writable =
      (Exists(path, info) && MayWrite(path)) || MayCreateIn(directory);
  if (writable) {
    out_.Item("can be written");
    return;
  }
  out_.Item("cannot be written");
  out_.Error(Exists(directory, info)
                 ? GiveAccess("write", directory)
                 : "create " + PathText(directory) + " (PATH must exist)");
}

std::string InstallCheck::Summary() const {
  std::string summary = "Summary: ";
  if (out_.errors() > 0) {
    return summary + Count(out_.errors(), "error") + ", " +
           Count(out_.warnings(), "warning") +
           ": a run would fail or lose work; fix the errors above.\n";
  }
  summary += out_.warnings() == 0
                 ? "all is well"
                 : "no errors, " + Count(out_.warnings(), "warning");
  summary += "; a run would do its job";
  summary += gamesWaiting_ == 0
                 ? ", with no finished game waiting"
                 : " and count " + Count(gamesWaiting_, "finished game");
  return summary + ".\n";
}

}  // namespace kilnbook
