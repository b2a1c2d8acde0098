// --check: what a run in the working directory would find, told without
// writing anything.
#ifndef KILNBOOK_APP_INSTALL_CHECK_H_
#define KILNBOOK_APP_INSTALL_CHECK_H_

#include <cstdint>
#include <functional>
#include <set>
#include <string>
#include <string_view>

#include "app/check_output.h"
#include "config/config.h"
#include "config/config_file.h"

namespace kilnbook {

// Reads kilnbook.cfg, the logs, the data and state files and the
// stylesheets, and looks at the directories, as the user running it: it
// writes, creates and locks nothing (a run may be going on meanwhile; the
// check then sees a moment of it). Access is judged with the effective user
// and groups, as a run would be.
class InstallCheck {
 public:
  InstallCheck();

  InstallCheck(const InstallCheck&) = delete;
  InstallCheck& operator=(const InstallCheck&) = delete;

  // Checks the installation in the working directory. Returns the text for
  // standard output: the configuration line by line, the working
  // directory, each server (directories, log, data file, interrupted save,
  // extended statistics), the stylesheets and the front page, and a summary
  // line.
  std::string Run();

  // 0 when a run would do its job, 1 when something would fail or lose work.
  int ExitStatus() const { return out_.errors() == 0 ? 0 : 1; }

 private:
  // Whether a directory is there for the run.
  enum class DirectoryState { kReady, kCreatedByRun, kUnusable };

  bool CheckConfigFile(const std::string& workingDirectory);
  void CheckWorkingDirectory(const std::string& workingDirectory);
  void CheckServer(const std::string& name, const std::string& address,
                   const std::string& logFile);
  DirectoryState CheckDirectory(const std::string& what,
                                const std::string& path);
  void CheckLog(const std::string& path);
  void CheckDataFile(const std::string& name, const std::string& address,
                     const std::string& logFile, DirectoryState directory);
  void CheckExtraState(const std::string& name, DirectoryState directory);
  // One state file of the extended statistics, read with `load`, which
  // returns false for a file of another format version.
  void CheckStateFile(const std::string& what, const std::string& path,
                      DirectoryState directory,
                      const std::function<bool(std::string_view)>& load);
  void CheckStylesheets();
  void CheckFrontPage();
  std::string Summary() const;
  static std::string MissingFile(DirectoryState directory);

  // "give the user NAME ..." in the messages.
  std::string GiveAccess(const std::string& access,
                         const std::string& path) const;

  std::string user_;
  ConfigFile configFile_;
  const Config* config_ = nullptr;  // configFile_'s values
  CheckOutput out_;
  uint64_t gamesWaiting_ = 0;
  std::set<std::string> logsCounted_;  // for gamesWaiting_, once per log
};

}  // namespace kilnbook

#endif  // KILNBOOK_APP_INSTALL_CHECK_H_
