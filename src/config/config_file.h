// The configuration file, read and parsed once for every Config of a run.
#ifndef KILNBOOK_CONFIG_CONFIG_FILE_H_
#define KILNBOOK_CONFIG_CONFIG_FILE_H_

#include <memory>
#include <optional>
#include <string>

namespace kilnbook {

class Config;

// Name of the configuration file, relative to the working directory.
inline constexpr const char kConfigFileName[] = "kilnbook.cfg";

// Many objects of a run build their own Config from the same file, which
// the program never writes; reading its bytes once keeps a run over tens of
// thousands of players from opening the file tens of thousands of times,
// and parsing its values once keeps it from parsing them as often.
class ConfigFile {
 public:
  // A ConfigFile without text, as for a missing file.
  ConfigFile();

  // Reads `path` whole. A file that is missing or cannot be read as a file
  // (a directory, no permission) gives a ConfigFile without text.
  static ConfigFile Read(const std::string& path = kConfigFileName);

  // A ConfigFile holding `text`, as if read from a file; for tests.
  static ConfigFile FromText(std::string text);

  // The file's bytes, or nothing when it could not be read.
  const std::optional<std::string>& text() const { return text_; }

  // The values parsed from the text; the defaults when there is none. Shared
  // so that objects built from the file can keep them without a copy.
  const std::shared_ptr<const Config>& values() const { return values_; }

  // Prints "Failed to open cfg file (kilnbook.cfg).\n" when there is no
  // text: every object built from the file reports it at its construction.
  void ReportIfMissing() const;

 private:
  explicit ConfigFile(std::optional<std::string> text);

  std::optional<std::string> text_;
  std::shared_ptr<const Config> values_;
};

}  // namespace kilnbook

#endif  // KILNBOOK_CONFIG_CONFIG_FILE_H_
