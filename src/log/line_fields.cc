#include "log/line_fields.h"

#include "log/number_text.h"
#include "log/text_clean.h"

namespace kilnbook {

namespace {

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// Reads the digits at `pos` into `value`; false when there are none. The
// column is seven bytes wide, so the value cannot overflow.
bool ReadDigits(std::string_view text, size_t& pos, int64_t& value) {
  size_t start = pos;
  value = 0;
  while (pos < text.size() && IsDigit(text[pos])) {
    value = value * 10 + (text[pos] - '0');
    ++pos;
  }
  return pos > start;
}

}  // namespace

std::optional<int64_t> TimeColumnSeconds(std::string_view line) {
  std::string_view column = line.substr(0, kTimeColumnWidth);
  size_t pos = column.find_first_not_of(' ');
  if (pos == std::string_view::npos) {
    return std::nullopt;
  }
  int64_t minutes = 0;
  int64_t seconds = 0;
  if (!ReadDigits(column, pos, minutes) || pos >= column.size() ||
      column[pos] != ':') {
    return std::nullopt;
  }
  ++pos;
  if (!ReadDigits(column, pos, seconds)) {
    return std::nullopt;
  }
  if (column.find_first_not_of(' ', pos) != std::string_view::npos) {
    return std::nullopt;
  }
  return minutes * 60 + seconds;
}

std::string_view LineArguments(std::string_view line) {
  if (line.size() <= kTimeColumnWidth) {
    return {};
  }
  std::string_view rest = line.substr(kTimeColumnWidth);
  size_t colon = rest.find(':');
  if (colon == std::string_view::npos) {
    return {};
  }
  return rest.substr(colon + 1);
}

std::string InitGameMapName(std::string_view line) {
  std::string_view args = LineArguments(line);
  if (!args.empty() && args.back() == '\r') {
    args.remove_suffix(1);
  }
  constexpr auto npos = std::string_view::npos;
  size_t keyStart = args.find('\\');
  while (keyStart != npos) {
    size_t keyEnd = args.find('\\', keyStart + 1);
    if (keyEnd == npos) {
      break;
    }
    size_t valueEnd = args.find('\\', keyEnd + 1);
    std::string_view key = args.substr(keyStart + 1, keyEnd - keyStart - 1);
    if (key == "mapname") {
      size_t valueLength = valueEnd == npos ? npos : valueEnd - keyEnd - 1;
      return CleanText(args.substr(keyEnd + 1, valueLength));
    }
    keyStart = valueEnd;
  }
  return {};
}

int32_t DisconnectSlot(std::string_view line) {
  return ParseNumber(LineArguments(line));
}

}  // namespace kilnbook
