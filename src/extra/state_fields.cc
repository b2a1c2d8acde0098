#include "extra/state_fields.h"

#include "log/number_text.h"

namespace kilnbook {

std::vector<std::string_view> SplitFields(std::string_view line,
                                          char separator) {
  std::vector<std::string_view> fields;
  size_t start = 0;
  while (true) {
    size_t bar = line.find(separator, start);
    if (bar == std::string_view::npos) {
      fields.push_back(line.substr(start));
      return fields;
    }
    fields.push_back(line.substr(start, bar - start));
    start = bar + 1;
  }
}

std::optional<int64_t> BoundedNumber(std::string_view field, int64_t min,
                                     int64_t max) {
  std::optional<int64_t> value = ParseWideNumber(field);
  if (!value || *value < min || *value > max) {
    return std::nullopt;
  }
  return value;
}

std::optional<int64_t> CountField(std::string_view field) {
  return BoundedNumber(field, 0, kMaxCount);
}

bool ReadOptionalNumber(std::string_view field, int64_t min, int64_t max,
                        std::optional<int64_t>& value) {
  value.reset();
  if (field.empty()) {
    return true;
  }
  value = BoundedNumber(field, min, max);
  return value.has_value();
}

void AppendField(std::string& out, std::string_view value) {
  out += '|';
  out += value;
}

void AppendField(std::string& out, int64_t value) {
  out += '|';
  AppendWideNumber(out, value);
}

void AppendField(std::string& out, const std::optional<int64_t>& value) {
  out += '|';
  if (value) {
    AppendWideNumber(out, *value);
  }
}

bool ReadStateLines(std::string_view text, std::string_view header,
                    std::string_view version,
                    const std::function<void(std::string_view)>& record) {
  size_t start = 0;
  bool first = true;
  while (start < text.size()) {
    size_t newline = text.find('\n', start);
    if (newline == std::string_view::npos) {
      break;  // cut short: the last record may have lost digits
    }
    std::string_view line = text.substr(start, newline - start);
    start = newline + 1;
    if (first && line.substr(0, header.size()) == header) {
      if (line.substr(header.size()) != version) {
        return false;
      }
    } else {
      record(line);
    }
    first = false;
  }
  return true;
}

}  // namespace kilnbook
