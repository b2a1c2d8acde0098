#include "render_bench.h"

namespace kilnbook {

// Filled in once the page writer is on main.
RenderResult BenchRender(const std::string& /*dir*/,
                         const std::string& /*stylesheets*/, int /*players*/,
                         int /*reps*/) {
  return RenderResult();
}

}  // namespace kilnbook
