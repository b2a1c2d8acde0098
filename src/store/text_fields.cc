#include "store/text_fields.h"

#include <charconv>
#include <optional>

#include "log/number_text.h"

namespace kilnbook {

namespace {

// Reads a number at the start of `text` and drops it from `text`.
template <typename Number>
bool ReadNumber(std::string_view& text, Number& value) {
  Number read;
  auto result = std::from_chars(text.data(), text.data() + text.size(), read);
  if (result.ec != std::errc() || result.ptr == text.data()) {
    return false;
  }
  text.remove_prefix(static_cast<size_t>(result.ptr - text.data()));
  value = read;
  return true;
}

}  // namespace

bool TextFields::Word(std::string_view word) {
  if (text_.substr(0, word.size()) != word) {
    return false;
  }
  text_.remove_prefix(word.size());
  return true;
}

bool TextFields::Unsigned(uint64_t& value) { return ReadNumber(text_, value); }

bool TextFields::Signed(int64_t& value) { return ReadNumber(text_, value); }

bool TextFields::DigestValue(Digest& value) {
  std::optional<Digest> digest = Digest::FromHex(text_.substr(0, 32));
  if (!digest) {
    return false;
  }
  value = *digest;
  text_.remove_prefix(32);
  return true;
}

bool TextFields::Hex64(uint64_t& value) {
  std::string_view digits = text_.substr(0, 16);
  uint64_t read = 0;
  for (char c : digits) {
    bool digit = c >= '0' && c <= '9';
    if (!digit && (c < 'a' || c > 'f')) {
      return false;
    }
    read = read * 16 + static_cast<uint64_t>(digit ? c - '0' : c - 'a' + 10);
  }
  if (digits.size() != 16) {
    return false;
  }
  value = read;
  text_.remove_prefix(16);
  return true;
}

bool TextFields::Text(std::string& value) {
  std::string_view rest = text_;
  uint64_t length;
  if (!ReadNumber(rest, length) || rest.substr(0, 1) != ":" ||
      length > rest.size() - 1) {
    return false;
  }
  value.assign(rest.substr(1, length));
  text_ = rest.substr(1 + length);
  return true;
}

void AppendHex64(std::string& out, uint64_t value) {
  static constexpr char kDigits[] = "0123456789abcdef";
  for (int shift = 60; shift >= 0; shift -= 4) {
    out += kDigits[(value >> shift) & 0xF];
  }
}

void AppendFieldText(std::string& out, std::string_view text) {
  AppendUnsignedNumber(out, text.size());
  out += ':';
  out += text;
}

}  // namespace kilnbook
