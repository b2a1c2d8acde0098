#include "report/utf8_text.h"

namespace kilnbook {

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

}  // namespace kilnbook
