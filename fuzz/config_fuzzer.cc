// A whole configuration file text through Config.
#include <cstddef>
#include <cstdint>
#include <string>

#include "config/config.h"
#include "config/config_file.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::string text(reinterpret_cast<const char*>(data), size);
  kilnbook::Config config(kilnbook::ConfigFile::FromText(text));
  // Every value is cleaned where it enters: none may carry a data-file
  // separator (server names go into the SRV line and into paths).
  for (const kilnbook::MultiEntry& entry : config.multi()) {
    if (entry.name.find_first_of("*|") != std::string::npos) {
      __builtin_trap();
    }
  }
  if (config.serverName().find_first_of("*|") != std::string::npos) {
    __builtin_trap();
  }
  return 0;
}
