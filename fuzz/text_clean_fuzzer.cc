// CleanText and both forms of ColorizeName on arbitrary bytes.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "log/text_clean.h"

namespace {

// Every ampersand of a cleaned text must begin an entity, or the documents
// would not parse.
bool AmpersandsBeginEntities(const std::string& text) {
  for (size_t at = text.find('&'); at != std::string::npos;
       at = text.find('&', at + 1)) {
    size_t semicolon = text.find(';', at);
    if (semicolon == std::string::npos || semicolon - at > 6) {
      return false;
    }
  }
  return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::string_view raw(reinterpret_cast<const char*>(data), size);
  std::string cleaned = kilnbook::CleanText(raw);
  if (cleaned.find_first_of("<>*`|'\xB4\x12\x14\x1A") != std::string::npos ||
      !AmpersandsBeginEntities(cleaned)) {
    __builtin_trap();
  }
  std::string plain =
      kilnbook::ColorizeName(cleaned, kilnbook::NameMode::kPlain);
  std::string markup =
      kilnbook::ColorizeName(cleaned, kilnbook::NameMode::kMarkup);
  if (plain.size() > cleaned.size() ||
      markup.find_first_of("<>*|") != std::string::npos) {
    __builtin_trap();
  }
  return 0;
}
