// kilnbook: one batch run in the directory that holds kilnbook.cfg.
// Command-line arguments are ignored.
#include "app/stats_app.h"

int main() {
  kilnbook::StatsApp app;
  app.OutputInternal();
  return 0;
}
