// kilnbook: one batch run in the directory that holds kilnbook.cfg.
// Command-line arguments are ignored.
#include <malloc.h>

#include "app/run_lock.h"
#include "app/stats_app.h"

int main() {
#ifdef M_MXFAST
  // The page threads free whole document trees; glibc's fast bins then make
  // every large allocation consolidate them first, a tenth of a busy run.
  mallopt(M_MXFAST, 0);
#endif
  kilnbook::RunLock lock(".");
  kilnbook::StatsApp app;
  app.OutputInternal();
  return 0;
}
