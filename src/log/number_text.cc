#include "log/number_text.h"

#include <charconv>
#include <limits>

namespace kilnbook {

namespace {

bool IsCSpace(char c) {
  return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' ||
         c == '\r';
}

}  // namespace

int32_t ParseNumber(std::string_view text) {
  size_t pos = 0;
  while (pos < text.size() && IsCSpace(text[pos])) {
    ++pos;
  }
  bool negative = false;
  if (pos < text.size() && (text[pos] == '+' || text[pos] == '-')) {
    negative = text[pos] == '-';
    ++pos;
  }
  // Accumulate the magnitude in unsigned 64 bits and stop growing once it is
  // past the range of a signed 64-bit value, as strtol saturates.
  constexpr uint64_t kLimit =
      static_cast<uint64_t>(std::numeric_limits<int64_t>::max()) + 1;
  uint64_t magnitude = 0;
  while (pos < text.size() && text[pos] >= '0' && text[pos] <= '9') {
    if (magnitude <= kLimit) {
      magnitude = magnitude * 10 + static_cast<uint64_t>(text[pos] - '0');
    }
    ++pos;
  }
  int64_t value;
  if (negative) {
    value = magnitude >= kLimit ? std::numeric_limits<int64_t>::min()
                                : -static_cast<int64_t>(magnitude);
  } else {
    value = magnitude >= kLimit ? std::numeric_limits<int64_t>::max()
                                : static_cast<int64_t>(magnitude);
  }
  return static_cast<int32_t>(static_cast<uint32_t>(value));
}

void AppendNumber(std::string& out, int32_t value) {
  // to_chars writes exactly the "%d" form, without locale or allocation.
  char buffer[16];
  auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
  out.append(buffer, result.ptr);
}

std::string NumberText(int32_t value) {
  std::string out;
  AppendNumber(out, value);
  return out;
}

}  // namespace kilnbook
