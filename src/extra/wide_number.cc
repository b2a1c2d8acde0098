#include "extra/wide_number.h"

#include <charconv>
#include <system_error>

namespace kilnbook {

void AppendWideNumber(std::string& out, int64_t value) {
  char buffer[24];
  auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
  out.append(buffer, result.ptr);
}

std::string WideNumberText(int64_t value) {
  std::string out;
  AppendWideNumber(out, value);
  return out;
}

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
