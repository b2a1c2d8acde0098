// The bytes of the configuration file, read once and parsed by every Config.
#ifndef KILNBOOK_CONFIG_CONFIG_FILE_H_
#define KILNBOOK_CONFIG_CONFIG_FILE_H_

#include <optional>
#include <string>

namespace kilnbook {

// Name of the configuration file, relative to the working directory.
inline constexpr const char kConfigFileName[] = "kilnbook.cfg";

// Many objects of a run build their own Config from the same file, which
// the program never writes; reading its bytes once keeps a run over tens of
// thousands of players from opening the file tens of thousands of times.
class ConfigFile {
 public:
  // Reads `path` whole. A file that is missing or cannot be read as a file
  // (a directory, no permission) gives a ConfigFile without text.
  static ConfigFile Read(const std::string& path = kConfigFileName);

  // A ConfigFile holding `text`, as if read from a file; for tests.
  static ConfigFile FromText(std::string text);

  // The file's bytes, or nothing when it could not be read.
  const std::optional<std::string>& text() const { return text_; }

 private:
  std::optional<std::string> text_;
};

}  // namespace kilnbook

#endif  // KILNBOOK_CONFIG_CONFIG_FILE_H_
