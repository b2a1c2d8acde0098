// What the program does with its arguments, around the run itself.
#ifndef KILNBOOK_APP_PROGRAM_H_
#define KILNBOOK_APP_PROGRAM_H_

#include <optional>

#include "app/command_line.h"

namespace kilnbook {

// Everything before a run: a usage error (the error and the usage on
// standard error, status 2), --help, --version, entering the -C directories
// (one that cannot be entered: a message on standard error, status 2) and
// --check. Returns the exit status when the program ends here; nothing when
// a run follows, in the directory entered.
std::optional<int> HandleCommandLine(const CommandLine& commandLine);

// One run in the working directory, whose lock the caller holds; then the
// --report lines on standard error and the --metrics file. Returns 0, or 1
// when the metrics file could not be written.
int RunStats(const CommandLine& commandLine);

}  // namespace kilnbook

#endif  // KILNBOOK_APP_PROGRAM_H_
