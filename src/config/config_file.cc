#include "config/config_file.h"

#include <cstdio>
#include <memory>
#include <string_view>
#include <utility>

#include "config/config.h"

namespace kilnbook {

namespace {

struct FileCloser {
  void operator()(FILE* file) const { std::fclose(file); }
};

}  // namespace

ConfigFile::ConfigFile() : ConfigFile(std::nullopt) {}

ConfigFile::ConfigFile(std::optional<std::string> text)
    : text_(std::move(text)),
      values_(std::make_shared<const Config>(
          Config::FromText(text_ ? std::string_view(*text_) : ""))) {}

ConfigFile ConfigFile::Read(const std::string& path) {
  std::unique_ptr<FILE, FileCloser> file(std::fopen(path.c_str(), "rb"));
  if (!file) {
    return ConfigFile();
  }
  std::string text;
  char buffer[1 << 14];
  size_t got;
  while ((got = std::fread(buffer, 1, sizeof buffer, file.get())) > 0) {
    text.append(buffer, got);
  }
  // A directory opens but cannot be read: treat it like a missing file.
  if (std::ferror(file.get())) {
    return ConfigFile();
  }
  return ConfigFile(std::move(text));
}

ConfigFile ConfigFile::FromText(std::string text) {
  return ConfigFile(std::move(text));
}

void ConfigFile::ReportIfMissing() const {
  if (!text_) {
    std::printf("Failed to open cfg file (%s).\n", kConfigFileName);
  }
}

}  // namespace kilnbook
