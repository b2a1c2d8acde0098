// Timing and memory measurement for the benchmark: runs of the built
// program, the I/O floor, medians.
#ifndef KILNBOOK_BENCH_MEASURE_H_
#define KILNBOOK_BENCH_MEASURE_H_

#include <cstdint>
#include <string>
#include <vector>

namespace kilnbook {

struct Measurement {
  double seconds = 0;
  long peakKilobytes = 0;  // peak resident set of the child, from wait4
  bool ok = false;         // exited with status 0
};

// Runs `binary` with `directory` as working directory, standard output
// thrown away, and measures wall time and peak memory.
Measurement RunProgram(const std::string& binary, const std::string& directory);

// Seconds since an arbitrary start, monotonic.
double Now();

// Copies `from` to `to` with large reads and writes; false on failure.
bool CopyFile(const std::string& from, const std::string& to);

// The I/O work the log stage cannot avoid: read `path` whole, write the
// same bytes once to `scratch`, read `scratch` back. Seconds.
double IoFloorSeconds(const std::string& path, const std::string& scratch);

// Size of `path` in bytes, or 0.
uint64_t FileSize(const std::string& path);

bool WriteText(const std::string& path, const std::string& text);

double Median(std::vector<double> values);

}  // namespace kilnbook

#endif  // KILNBOOK_BENCH_MEASURE_H_
