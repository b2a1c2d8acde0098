#include "extra/wide_number.h"

#include <charconv>
#include <system_error>

namespace kilnbook {

std::optional<int64_t> ParseWideNumber(std::string_view text) {
  // from_chars takes a minus sign but no plus sign and no blanks, which is
  // the strictness wanted; it also needs at least one digit.
  int64_t value = 0;
  const char* end = text.data() + text.size();
  auto result = std::from_chars(text.data(), end, value);
  if (result.ec != std::errc() || result.ptr != end) {
    return std::nullopt;
  }
  return value;
}

}  // namespace kilnbook
