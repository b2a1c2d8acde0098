// The program's arguments: what they ask for, and the texts of --help and
// --version.
#ifndef KILNBOOK_APP_COMMAND_LINE_H_
#define KILNBOOK_APP_COMMAND_LINE_H_

#include <optional>
#include <string>
#include <vector>

namespace kilnbook {

struct CommandLine {
  enum class Action { kRun, kCheck, kHelp, kVersion, kUsageError };

  Action action = Action::kRun;
  // -C / --directory, in order: each is entered from the one before, as
  // make -C and git -C do.
  std::vector<std::string> directories;
  bool report = false;                     // --report
  std::optional<std::string> metricsPath;  // --metrics
  // For kUsageError: what is wrong, as "unknown option '--x'".
  std::string error;
};

// Reads the arguments with getopt_long. No arguments give a plain run.
// Options are -C DIR / --directory=DIR, --check, --report, --metrics=FILE,
// -h / --help and --version (long options may be abbreviated); anything
// else, a missing or empty value, an operand, or --check together with
// --report or --metrics is a usage error. --help wins over --version, and
// both over the rest. Prints nothing.
CommandLine ParseCommandLine(int argc, char* const argv[]);

// The forms of the command: the start of UsageText(), and what follows a
// usage error on standard error.
std::string UsageSynopsis();

// The text of --help.
std::string UsageText();

// The text of --version: the program's version and those of the XML
// libraries it runs with.
std::string VersionText();

}  // namespace kilnbook

#endif  // KILNBOOK_APP_COMMAND_LINE_H_
