// 64-bit numbers as text for the extended statistics, whose times and
// counters outgrow the 32-bit counters of the data file.
#ifndef KILNBOOK_EXTRA_WIDE_NUMBER_H_
#define KILNBOOK_EXTRA_WIDE_NUMBER_H_

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "log/number_text.h"

namespace kilnbook {

// Reads a whole field written by AppendWideNumber (log/number_text.h): an optional minus sign and
// at least one digit, nothing else. Nothing for any other text or a value
// outside the 64-bit range.
std::optional<int64_t> ParseWideNumber(std::string_view text);

}  // namespace kilnbook

#endif  // KILNBOOK_EXTRA_WIDE_NUMBER_H_
