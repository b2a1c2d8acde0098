// Captures what the libraries under test print on standard error.
#ifndef KILNBOOK_TESTS_SUPPORT_CAPTURE_STDERR_H_
#define KILNBOOK_TESTS_SUPPORT_CAPTURE_STDERR_H_

#include <unistd.h>

#include <cstdio>
#include <string>

namespace kilnbook {

// Everything written to file descriptor 2, by any thread, while `body` runs.
template <typename Body>
std::string CaptureStderr(Body body) {
  std::fflush(stderr);
  int saved = dup(2);
  std::FILE* sink = std::tmpfile();
  dup2(fileno(sink), 2);
  body();
  std::fflush(stderr);
  dup2(saved, 2);
  close(saved);
  std::string text;
  std::rewind(sink);
  int c;
  while ((c = std::fgetc(sink)) != EOF) {
    text += static_cast<char>(c);
  }
  std::fclose(sink);
  return text;
}

}  // namespace kilnbook

#endif  // KILNBOOK_TESTS_SUPPORT_CAPTURE_STDERR_H_
