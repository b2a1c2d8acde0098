#include "report/utf8_text.h"

#include <cstddef>

namespace kilnbook {

namespace {

constexpr std::string_view kReplacementCharacter = "\xEF\xBF\xBD";

bool IsForbiddenControl(unsigned char c) {
  return c < 0x20 && c != '\t' && c != '\n' && c != '\r';
}

// U+FFFE and U+FFFF: not XML characters.
bool IsXmlNonCharacter(std::string_view sequence) {
  return sequence == "\xEF\xBF\xBE" || sequence == "\xEF\xBF\xBF";
}

// The length of the well-formed UTF-8 sequence at `text[pos]` (1 for an
// ASCII byte; no overlong forms, no surrogates, nothing above U+10FFFF), or
// 0 when the bytes there are not one.
size_t Utf8SequenceLength(std::string_view text, size_t pos) {
  auto byte = [&](size_t i) -> unsigned {
    return pos + i < text.size() ? static_cast<unsigned char>(text[pos + i])
                                 : 0u;
  };
  auto continuation = [&](size_t i) { return (byte(i) & 0xC0u) == 0x80u; };
  unsigned lead = byte(0);
  if (lead < 0x80) {
    return 1;
  }
  if (lead >= 0xC2 && lead <= 0xDF) {
    return continuation(1) ? 2 : 0;
  }
  if (lead >= 0xE0 && lead <= 0xEF) {
    unsigned low = lead == 0xE0 ? 0xA0 : 0x80;
    unsigned high = lead == 0xED ? 0x9F : 0xBF;
    return byte(1) >= low && byte(1) <= high && continuation(2) ? 3 : 0;
  }
  if (lead >= 0xF0 && lead <= 0xF4) {
    unsigned low = lead == 0xF0 ? 0x90 : 0x80;
    unsigned high = lead == 0xF4 ? 0x8F : 0xBF;
    return byte(1) >= low && byte(1) <= high && continuation(2) &&
                   continuation(3)
               ? 4
               : 0;
  }
  return 0;
}

void AppendLatin1(std::string& out, unsigned char c) {
  out += static_cast<char>(0xC0 | (c >> 6));
  out += static_cast<char>(0x80 | (c & 0x3F));
}

}  // namespace

std::string RepairedUtf8(std::string_view text, Utf8Repair repair) {
  const bool xml = repair == Utf8Repair::kXmlCharacters;
  std::string out;
  out.reserve(text.size());
  size_t i = 0;
  while (i < text.size()) {
    unsigned char c = static_cast<unsigned char>(text[i]);
    if (c < 0x80) {
      out += xml && IsForbiddenControl(c) ? '?' : static_cast<char>(c);
      ++i;
      continue;
    }
    size_t length = Utf8SequenceLength(text, i);
    if (length == 0) {
      AppendLatin1(out, c);
      ++i;
      continue;
    }
    std::string_view sequence = text.substr(i, length);
    out +=
        xml && IsXmlNonCharacter(sequence) ? kReplacementCharacter : sequence;
    i += length;
  }
  return out;
}

bool IsRepairedUtf8(std::string_view text, Utf8Repair repair) {
  const bool xml = repair == Utf8Repair::kXmlCharacters;
  size_t i = 0;
  while (i < text.size()) {
    unsigned char c = static_cast<unsigned char>(text[i]);
    if (c >= 0x20 && c < 0x80) {
      ++i;
      continue;
    }
    if (c < 0x80) {
      if (xml && IsForbiddenControl(c)) {
        return false;
      }
      ++i;
      continue;
    }
    size_t length = Utf8SequenceLength(text, i);
    if (length == 0 || (xml && IsXmlNonCharacter(text.substr(i, length)))) {
      return false;
    }
    i += length;
  }
  return true;
}

}  // namespace kilnbook
