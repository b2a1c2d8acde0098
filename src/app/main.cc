// kilnbook: one batch run in the directory that holds kilnbook.cfg.
// Command-line arguments are ignored.
#include "app/run_lock.h"
#include "app/stats_app.h"
#include "config/config_file.h"

int main() {
  kilnbook::RunLock lock(kilnbook::kConfigFileName);
  kilnbook::StatsApp app;
  app.OutputInternal();
  return 0;
}
