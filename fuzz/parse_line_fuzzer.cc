// One log line through the keyword table and its handler.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "log/log_parser.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::string_view line(reinterpret_cast<const char*>(data), size);
  kilnbook::LogEvent event = kilnbook::LogParser::ParseLine(line);
  // Names reach the data file and the documents unescaped: whatever the
  // line held, the separators of the data file must be gone.
  for (const std::string* text :
       {&event.name, &event.plainName, &event.htmlName}) {
    if (text->find_first_of("*|`\xB4<>") != std::string::npos) {
      __builtin_trap();
    }
  }
  size_t colon = line.find(':', 7);
  if (line.size() > 7 && colon != std::string_view::npos) {
    kilnbook::LogParser::FindKeyword(line.substr(7, colon - 6));
  }
  return 0;
}
