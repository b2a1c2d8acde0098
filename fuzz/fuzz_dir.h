// A private working directory for the fuzz targets that run whole stages.
#ifndef KILNBOOK_FUZZ_FUZZ_DIR_H_
#define KILNBOOK_FUZZ_FUZZ_DIR_H_

#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <string_view>

namespace kilnbook {

// Makes a fresh temporary directory the working directory, with
// `configuration` as its kilnbook.cfg. Called once, from
// LLVMFuzzerInitialize.
inline void EnterFuzzDirectory(const std::string& configuration) {
  char pattern[] = "/tmp/kilnbook_fuzz_XXXXXX";
  if (mkdtemp(pattern) == nullptr || chdir(pattern) != 0) {
    std::abort();
  }
  std::ofstream("kilnbook.cfg", std::ios::binary) << configuration;
}

inline void WriteBytes(const char* path, std::string_view bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

inline std::string ReadBytes(const char* path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

}  // namespace kilnbook

#endif  // KILNBOOK_FUZZ_FUZZ_DIR_H_
