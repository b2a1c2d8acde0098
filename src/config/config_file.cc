#include "config/config_file.h"

#include <cstdio>
#include <memory>

namespace kilnbook {

namespace {

struct FileCloser {
  void operator()(FILE* file) const { std::fclose(file); }
};

}  // namespace

ConfigFile ConfigFile::Read(const std::string& path) {
  ConfigFile result;
  std::unique_ptr<FILE, FileCloser> file(std::fopen(path.c_str(), "rb"));
  if (!file) {
    return result;
  }
  std::string text;
  char buffer[1 << 14];
  size_t got;
  while ((got = std::fread(buffer, 1, sizeof buffer, file.get())) > 0) {
    text.append(buffer, got);
  }
  // A directory opens but cannot be read: treat it like a missing file.
  if (std::ferror(file.get())) {
    return result;
  }
  result.text_ = std::move(text);
  return result;
}

ConfigFile ConfigFile::FromText(std::string text) {
  ConfigFile result;
  result.text_ = std::move(text);
  return result;
}

}  // namespace kilnbook
