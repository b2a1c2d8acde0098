// Numbers as text: the one "%d" writer and the one strtol-style reader of
// the system, the writer and strict reader of wider numbers, and 32-bit
// arithmetic that wraps instead of overflowing.
#ifndef KILNBOOK_LOG_NUMBER_TEXT_H_
#define KILNBOOK_LOG_NUMBER_TEXT_H_

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace kilnbook {

// Reads a base-10 integer the way strtol does: leading C white space is
// skipped, then an optional sign, then digits up to the first non-digit.
// No digits give 0. Values beyond the 64-bit range saturate as strtol's do,
// and the result keeps the low 32 bits, so no input ever traps.
int32_t ParseNumber(std::string_view text);

// The "%d" form of `value`.
std::string NumberText(int32_t value);

// Appends the "%d" form of `value` to `out`.
void AppendNumber(std::string& out, int32_t value);

// The decimal forms of wider numbers (times, sizes, offsets): a minus sign
// when negative, no leading zeros.
void AppendWideNumber(std::string& out, int64_t value);
void AppendUnsignedNumber(std::string& out, uint64_t value);
std::string WideNumberText(int64_t value);

// Reads back a whole field that AppendWideNumber wrote: an optional minus
// sign and at least one digit, nothing else. Nothing for any other text or
// a value outside the 64-bit range.
std::optional<int64_t> ParseWideNumber(std::string_view text);

// `a` + `b` with two's complement wrap-around.
constexpr int32_t WrapAdd(int32_t a, int32_t b) {
  return static_cast<int32_t>(static_cast<uint32_t>(a) +
                              static_cast<uint32_t>(b));
}

// (`a` + `b`) / 2 with the sum wrapped to 32 bits first and the quotient
// truncated toward zero: the running averages of ping values.
constexpr int32_t WrapAverage(int32_t a, int32_t b) {
  return WrapAdd(a, b) / 2;
}

}  // namespace kilnbook

#endif  // KILNBOOK_LOG_NUMBER_TEXT_H_
