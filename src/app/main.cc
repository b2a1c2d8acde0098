// kilnbook: the program entry. Without arguments, one batch run in the
// directory that holds kilnbook.cfg; the options are in command_line.h.
#include <malloc.h>

#include <optional>

#include "app/command_line.h"
#include "app/program.h"
#include "app/run_lock.h"

int main(int argc, char** argv) {
#ifdef M_MXFAST
  // The page threads free whole document trees; glibc's fast bins then make
  // every large allocation consolidate them first, a tenth of a busy run.
  mallopt(M_MXFAST, 0);
#endif
  kilnbook::CommandLine commandLine = kilnbook::ParseCommandLine(argc, argv);
  if (std::optional<int> status = kilnbook::HandleCommandLine(commandLine)) {
    return *status;
  }
  // Taken on the directory that -C entered, the one the run works in.
  kilnbook::RunLock lock(".");
  return kilnbook::RunStats(commandLine);
}
