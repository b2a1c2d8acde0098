// The pieces the state files of the extended statistics are made of: lines
// of fields separated by "|", numbers written in decimal and read back
// within bounds, and the header line that names the format version.
#ifndef KILNBOOK_EXTRA_STATE_FIELDS_H_
#define KILNBOOK_EXTRA_STATE_FIELDS_H_

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace kilnbook {

// Bounds that keep every later sum and difference far from overflowing,
// whatever a damaged file holds.
inline constexpr int64_t kMaxCount = int64_t{1} << 53;
inline constexpr int64_t kMaxTime = 253402300799;  // 9999-12-31 23:59:59 UTC
inline constexpr int64_t kMaxRating = 1000000000000000;

// The fields of `line`, split at every `separator`; at least one.
std::vector<std::string_view> SplitFields(std::string_view line,
                                          char separator = '|');

// The number that AppendField wrote into `field` when it lies within
// [`min`, `max`]; nothing for any other text.
std::optional<int64_t> BoundedNumber(std::string_view field, int64_t min,
                                     int64_t max);

// A count: from 0 to kMaxCount.
std::optional<int64_t> CountField(std::string_view field);

// An optional number: empty for none, else as BoundedNumber reads it.
// False, with `value` reset, when the field is neither.
bool ReadOptionalNumber(std::string_view field, int64_t min, int64_t max,
                        std::optional<int64_t>& value);

// Appends "|" and the value; nothing after the "|" for no value.
void AppendField(std::string& out, std::string_view value);
void AppendField(std::string& out, int64_t value);
void AppendField(std::string& out, const std::optional<int64_t>& value);

// Hands every whole line of `text` (one that a line feed ends) to `record`,
// but for a first line that starts with `header`: that one must go on with
// `version`. Returns false, having handed out nothing, when it does not.
bool ReadStateLines(std::string_view text, std::string_view header,
                    std::string_view version,
                    const std::function<void(std::string_view)>& record);

}  // namespace kilnbook

#endif  // KILNBOOK_EXTRA_STATE_FIELDS_H_
