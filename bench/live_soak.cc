#include "live_soak.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

#include "log_generator.h"
#include "measure.h"

namespace kilnbook {

namespace {

std::string ReadText(const std::string& path) {
  std::string text;
  FILE* file = std::fopen(path.c_str(), "rb");
  if (file == nullptr) {
    return text;
  }
  char buffer[1 << 16];
  size_t got;
  while ((got = std::fread(buffer, 1, sizeof buffer, file)) > 0) {
    text.append(buffer, got);
  }
  std::fclose(file);
  return text;
}

// Writes `text` into the log at `rate` lines a second until told to stop or
// out of text; `written` is how many bytes went in.
void Serve(const std::string& log, const std::string& text, int rate,
           bool wholeLines, const std::atomic<bool>& stop,
           std::atomic<size_t>& written) {
  constexpr size_t kBuffer = 4096;
  auto interval = std::chrono::nanoseconds(1000000000 / rate);
  auto next = std::chrono::steady_clock::now();
  size_t sent = 0;      // bytes written
  size_t buffered = 0;  // bytes of whole lines produced so far
  while (!stop && buffered < text.size()) {
    size_t end = text.find('\n', buffered);
    buffered = end == std::string::npos ? text.size() : end + 1;
    size_t upTo = buffered;
    if (!wholeLines) {
      // A stdio buffer: full blocks only, cut wherever they end.
      upTo = sent + (buffered - sent) / kBuffer * kBuffer;
    }
    if (upTo > sent) {
      int fd = ::open(log.c_str(), O_WRONLY | O_APPEND | O_CREAT, 0644);
      if (fd >= 0) {
        ssize_t done = ::write(fd, text.data() + sent, upTo - sent);
        if (done > 0) {
          sent += static_cast<size_t>(done);
        }
        ::close(fd);
      }
      written = sent;
    }
    next += interval;
    std::this_thread::sleep_until(next);
  }
}

// The length of the longest common subsequence of `a` and `b`.
long CommonLength(const std::vector<std::string_view>& a,
                  const std::vector<std::string_view>& b) {
  const long n = static_cast<long>(a.size());
  const long m = static_cast<long>(b.size());
  const long max = n + m;
  std::vector<long> v(static_cast<size_t>(2 * max + 2), 0);
  auto at = [&](long k) -> long& {
    return v[static_cast<size_t>(k + max + 1)];
  };
  for (long d = 0; d <= max; ++d) {
    for (long k = -d; k <= d; k += 2) {
      long x = (k == -d || (k != d && at(k - 1) < at(k + 1))) ? at(k + 1)
                                                              : at(k - 1) + 1;
      long y = x - k;
      while (x < n && y < m &&
             a[static_cast<size_t>(x)] == b[static_cast<size_t>(y)]) {
        ++x;
        ++y;
      }
      at(k) = x;
      if (x >= n && y >= m) {
        return (n + m - d) / 2;
      }
    }
  }
  return 0;
}

struct Tally {
  long lost = 0;       // written, neither counted nor left in the log
  long broken = 0;     // counted or left, but never written as such
  long misplaced = 0;  // present, but out of the order written
};

Tally Compare(std::string_view written, std::string_view found) {
  std::vector<std::string_view> expected = NonEmptyLines(written);
  std::vector<std::string_view> actual = NonEmptyLines(found);
  std::map<std::string_view, long> balance;
  for (std::string_view line : expected) {
    ++balance[line];
  }
  for (std::string_view line : actual) {
    --balance[line];
  }
  Tally tally;
  for (const auto& [line, count] : balance) {
    if (count > 0) {
      tally.lost += count;
    } else if (count < 0) {
      tally.broken -= count;
    }
  }
  // Lines out of the order written: those the longest common subsequence
  // leaves out, beyond the ones lost (Myers' difference, cheap when the two
  // nearly agree; a lost line that has twins elsewhere is not mistaken for
  // a moved one).
  tally.misplaced = static_cast<long>(expected.size()) -
                    CommonLength(expected, actual) - tally.lost;
  return tally;
}

}  // namespace

int LiveSoak(const SoakOptions& options) {
  const std::string& dir = options.directory;
  std::system(("rm -rf '" + dir + "' && mkdir -p '" + dir + "/out'").c_str());
  WriteText(
      dir + "/kilnbook.cfg",
      "PATH out/\nSERVER_NAME Main\nLOGFILE g.log\nMIN_KILLS 1000000000\n");
  LogOptions log;
  log.seed = 5;
  log.players = 16;
  log.killsPerGame = 40;
  // Enough for the runs at the rate: generously, 50 ms a run besides the gap.
  log.targetBytes = static_cast<uint64_t>(options.runs) *
                        (options.gapMilliseconds + 50) *
                        options.linesPerSecond * 100 / 1000 +
                    (1 << 20);
  log.unfinishedTail = false;
  std::string text = LogGenerator(log).Text();

  std::atomic<bool> stop{false};
  std::atomic<size_t> written{0};
  std::thread server(Serve, dir + "/g.log", std::cref(text),
                     options.linesPerSecond, options.wholeLines,
                     std::cref(stop), std::ref(written));
  std::string counted;
  double started = Now();
  for (int run = 0; run < options.runs; ++run) {
    std::this_thread::sleep_for(
        std::chrono::milliseconds(options.gapMilliseconds));
    RunProgram(options.binary, dir);
    counted += ReadText(dir + "/kilnbook.tmp");
  }
  double seconds = Now() - started;
  stop = true;
  server.join();
  RunProgram(options.binary, dir);
  counted += ReadText(dir + "/kilnbook.tmp");
  std::string left = ReadText(dir + "/g.log");
  Tally tally =
      Compare(std::string_view(text).substr(0, written), counted + left);
  std::printf(
      "soak: %d runs in %.1f s, %s at %d lines/s, %zu bytes written: "
      "%ld lines lost, %ld broken, %ld out of order\n",
      options.runs, seconds, options.wholeLines ? "whole lines" : "4 KB blocks",
      options.linesPerSecond, static_cast<size_t>(written), tally.lost,
      tally.broken, tally.misplaced);
  return tally.lost + tally.broken + tally.misplaced == 0 ? 0 : 1;
}

}  // namespace kilnbook
