// The extended statistics' state files and the lines they are fed: whatever
// a damaged state file or a hostile log holds, loading never fails hard, and
// what is saved reads back to the same bytes.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "extra/extra_stats.h"
#include "log/log_parser.h"

namespace {

// Saving `stats` and loading the texts again must give the texts back.
void CheckRoundTrip(const kilnbook::ExtraStats& stats) {
  std::string text = stats.StateText();
  std::string games = stats.GamesStateText();
  kilnbook::ExtraStats again;
  if (!again.LoadState(text) || again.StateText() != text ||
      !again.LoadGamesState(games) || again.GamesStateText() != games) {
    __builtin_trap();
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::string_view input(reinterpret_cast<const char*>(data), size);

  // The input as both state files.
  kilnbook::ExtraStats loaded;
  loaded.LoadState(input);
  loaded.LoadGamesState(input);
  CheckRoundTrip(loaded);

  // The input as the lines of a run on top of that state, keeping few games.
  loaded.SetGamesKept(2);
  loaded.BeginRun(1772359200);
  size_t start = 0;
  while (start < input.size()) {
    size_t end = input.find('\n', start);
    if (end == std::string_view::npos) {
      end = input.size();
    }
    std::string_view line = input.substr(start, end - start);
    if (line.size() > 7) {
      loaded.AccountLine(line, kilnbook::LogParser::ParseLine(line));
    }
    start = end + 1;
  }
  loaded.EndRun();
  CheckRoundTrip(loaded);
  return 0;
}
