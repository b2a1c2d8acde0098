#include "log/number_text.h"

#include <charconv>
#include <limits>

namespace kilnbook {

namespace {

// The C locale's white space: the blank and \t \n \v \f \r (9 to 13).
bool IsCSpace(char c) { return c == ' ' || (c >= '\t' && c <= '\r'); }

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

}  // namespace

int32_t ParseNumber(std::string_view text) {
  // Most numbers of a log are a few plain digits: nine of them cannot pass
  // the 32-bit range.
  if (!text.empty() && text.size() <= 9 && IsDigit(text[0])) {
    int32_t value = 0;
    for (char c : text) {
      if (!IsDigit(c)) {
        break;
      }
      value = value * 10 + (c - '0');
    }
    return value;
  }
  const char* at = text.data();
  const char* end = at + text.size();
  while (at < end && IsCSpace(*at)) {
    ++at;
  }
  bool negative = false;
  if (at < end && (*at == '+' || *at == '-')) {
    negative = *at == '-';
    ++at;
  }
  // The magnitude saturates at 2^63, where strtol's result saturates on
  // either side (LONG_MAX above, LONG_MIN below).
  constexpr uint64_t kLimit =
      static_cast<uint64_t>(std::numeric_limits<int64_t>::max()) + 1;
  // Below this, ten times the magnitude plus a digit stays below kLimit.
  constexpr uint64_t kSafe = kLimit / 10;
  uint64_t magnitude = 0;
  for (; at < end && IsDigit(*at); ++at) {
    uint64_t digit = static_cast<uint64_t>(*at - '0');
    if (magnitude < kSafe || magnitude <= (kLimit - digit) / 10) {
      magnitude = magnitude * 10 + digit;
    } else {
      magnitude = kLimit;
    }
  }
  int64_t value;
  if (magnitude >= kLimit) {
    value = negative ? std::numeric_limits<int64_t>::min()
                     : std::numeric_limits<int64_t>::max();
  } else {
    value = negative ? -static_cast<int64_t>(magnitude)
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

void AppendWideNumber(std::string& out, int64_t value) {
  char buffer[24];
  auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
  out.append(buffer, result.ptr);
}

void AppendUnsignedNumber(std::string& out, uint64_t value) {
  char buffer[24];
  auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
  out.append(buffer, result.ptr);
}

std::string WideNumberText(int64_t value) {
  std::string out;
  AppendWideNumber(out, value);
  return out;
}

std::string NumberText(int32_t value) {
  std::string out;
  AppendNumber(out, value);
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
