// Runs the built kilnbook binary and captures what it prints.
#ifndef KILNBOOK_TESTS_SUPPORT_RUN_PROGRAM_H_
#define KILNBOOK_TESTS_SUPPORT_RUN_PROGRAM_H_

#include <string>
#include <vector>

namespace kilnbook {

struct RunResult {
  int exitStatus = -1;  // -1 when the process did not exit normally
  std::string out;      // standard output
  std::string err;      // standard error
};

struct RunOptions {
  std::string workingDirectory = ".";
  std::vector<std::string> arguments;
  int umask = 022;
  std::string timeZone = "UTC";
};

// Runs the kilnbook binary built with the tests.
RunResult RunKilnbook(const RunOptions& options = {});

// Captures standard output of `body` (printf and friends) as a string.
template <typename Body>
std::string CaptureStdout(Body body);

// Implementation detail of CaptureStdout.
class StdoutCapture {
 public:
  StdoutCapture();
  ~StdoutCapture();
  std::string Finish();

 private:
  int saved_ = -1;
  std::string path_;
  bool finished_ = false;
};

template <typename Body>
std::string CaptureStdout(Body body) {
  StdoutCapture capture;
  body();
  return capture.Finish();
}

}  // namespace kilnbook

#endif  // KILNBOOK_TESTS_SUPPORT_RUN_PROGRAM_H_
