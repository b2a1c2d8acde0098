#include "app/program.h"

#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <string>

#include "app/install_check.h"
#include "app/run_report.h"
#include "app/stats_app.h"
#include "store/atomic_file.h"

namespace kilnbook {

namespace {

bool EnterDirectories(const CommandLine& commandLine) {
  for (const std::string& directory : commandLine.directories) {
    if (::chdir(directory.c_str()) != 0) {
      std::fprintf(stderr, "kilnbook: cannot enter directory '%s': %s\n",
                   directory.c_str(), std::strerror(errno));
      return false;
    }
  }
  return true;
}

// The metrics file is replaced whole, so that a collector never reads half
// of it; it is written again by the next run, so it is not synced.
bool WriteMetricsFile(const std::string& path, const std::string& text) {
  AtomicFile file(path, AtomicFile::Durability::kUnsynced);
  return file.Open() && file.Write(text) && file.Commit();
}

}  // namespace

std::optional<int> HandleCommandLine(const CommandLine& commandLine) {
  switch (commandLine.action) {
    case CommandLine::Action::kUsageError:
      std::fprintf(stderr,
                   "kilnbook: %s\n%sTry 'kilnbook --help' for more "
                   "information.\n",
                   commandLine.error.c_str(), UsageSynopsis().c_str());
      return 2;
    case CommandLine::Action::kHelp:
      std::fputs(UsageText().c_str(), stdout);
      return 0;
    case CommandLine::Action::kVersion:
      std::fputs(VersionText().c_str(), stdout);
      return 0;
    case CommandLine::Action::kCheck:
    case CommandLine::Action::kRun:
      break;
  }
  if (!EnterDirectories(commandLine)) {
    return 2;
  }
  if (commandLine.action == CommandLine::Action::kCheck) {
    InstallCheck check;
    std::fputs(check.Run().c_str(), stdout);
    return check.ExitStatus();
  }
  return std::nullopt;
}

int RunStats(const CommandLine& commandLine) {
  auto start = std::chrono::steady_clock::now();
  StatsApp app;
  app.OutputInternal();
  if (!commandLine.report && !commandLine.metricsPath) {
    return 0;
  }
  double seconds =
      std::chrono::duration<double>(std::chrono::steady_clock::now() - start)
          .count();
  const std::vector<ServerReport>& servers = app.report().servers();
  // The run's own messages first, where both streams go to one place.
  std::fflush(stdout);
  if (commandLine.report) {
    std::fputs(ReportText(servers, seconds).c_str(), stderr);
  }
  if (commandLine.metricsPath) {
    double endTime = std::chrono::duration<double>(
                         std::chrono::system_clock::now().time_since_epoch())
                         .count();
    const std::string& path = *commandLine.metricsPath;
    if (!WriteMetricsFile(path, MetricsText(servers, seconds, endTime))) {
      std::fprintf(stderr,
                   "kilnbook: cannot write the metrics file '%s' (written as "
                   "'%s.tmp' beside it, then renamed): check that its "
                   "directory exists and that this user may create files "
                   "in it\n",
                   path.c_str(), path.c_str());
      return 1;
    }
  }
  return 0;
}

}  // namespace kilnbook
