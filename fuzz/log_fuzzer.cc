// A whole log through the pre-pass, the parser and the accounting, and the
// resulting data file back through the reader: no line of the log may be
// lost, and the statistics must survive a save and a load.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "app/stats_app.h"
#include "fuzz_dir.h"

namespace {

constexpr char kLog[] = "game.log";
constexpr char kDataFile[] = "kilnbook.dat";

// The lines of `text` that are not empty; a last line without a line feed
// counts too.
std::vector<std::string_view> NonEmptyLines(std::string_view text) {
  std::vector<std::string_view> lines;
  size_t start = 0;
  while (start < text.size()) {
    size_t end = text.find('\n', start);
    if (end == std::string_view::npos) {
      end = text.size();
    }
    if (end > start) {
      lines.push_back(text.substr(start, end - start));
    }
    start = end + 1;
  }
  return lines;
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  kilnbook::EnterFuzzDirectory("PATH ./\nLOGFILE game.log\n");
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::string_view log(reinterpret_cast<const char*>(data), size);
  kilnbook::WriteBytes(kLog, log);
  kilnbook::WriteBytes(kDataFile, "");
  {
    kilnbook::StatsApp app;
    app.PopulateFromDAT();
    app.ParseLogFile(kLog);
    app.FlushToDAT();
  }
  // Every line is now either in kilnbook.tmp (a finished game) or still in
  // the log, in the same order.
  std::string moved = kilnbook::ReadBytes("kilnbook.tmp");
  std::string kept = kilnbook::ReadBytes(kLog);
  std::vector<std::string_view> before = NonEmptyLines(log);
  std::vector<std::string_view> after = NonEmptyLines(moved);
  std::vector<std::string_view> tail = NonEmptyLines(kept);
  after.insert(after.end(), tail.begin(), tail.end());
  if (before != after) {
    __builtin_trap();
  }
  // What the accounting saved reads back to the same statistics.
  std::string saved = kilnbook::ReadBytes(kDataFile);
  {
    kilnbook::StatsApp app;
    app.PopulateFromDAT();
    app.FlushToDAT();
  }
  if (kilnbook::ReadBytes(kDataFile) != saved) {
    __builtin_trap();
  }
  return 0;
}
