#include "report/xsl_transformer.h"

#include <cstdio>
#include <memory>

#include "report/stylesheet.h"

namespace kilnbook {

namespace {

struct FileCloser {
  void operator()(std::FILE* file) const { std::fclose(file); }
};

bool IsContinuation(unsigned char c) { return (c & 0xC0) == 0x80; }

// Length of the well-formed UTF-8 sequence at `text[i]` (no overlong forms,
// no surrogates, nothing above U+10FFFF), or 0.
size_t Utf8SequenceLength(std::string_view text, size_t i) {
  auto at = [&](size_t k) -> unsigned char {
    return i + k < text.size() ? static_cast<unsigned char>(text[i + k]) : 0;
  };
  unsigned char c = at(0);
  unsigned char low = 0x80;
  unsigned char high = 0xBF;
  size_t length = 0;
  if (c >= 0xC2 && c <= 0xDF) {
    length = 2;
  } else if (c >= 0xE0 && c <= 0xEF) {
    length = 3;
    low = c == 0xE0 ? 0xA0 : 0x80;
    high = c == 0xED ? 0x9F : 0xBF;
  } else if (c >= 0xF0 && c <= 0xF4) {
    length = 4;
    low = c == 0xF0 ? 0x90 : 0x80;
    high = c == 0xF4 ? 0x8F : 0xBF;
  } else {
    return 0;
  }
  if (at(1) < low || at(1) > high) {
    return 0;
  }
  for (size_t k = 2; k < length; ++k) {
    if (!IsContinuation(at(k))) {
      return 0;
    }
  }
  return length;
}

bool IsForbiddenControl(unsigned char c) {
  return c < 0x20 && c != '\t' && c != '\n' && c != '\r';
}

}  // namespace

std::optional<std::string> ReadWholeFile(const std::string& path) {
  std::unique_ptr<std::FILE, FileCloser> file(std::fopen(path.c_str(), "rb"));
  if (!file) {
    return std::nullopt;
  }
  std::string text;
  char buffer[65536];
  size_t count;
  while ((count = std::fread(buffer, 1, sizeof buffer, file.get())) > 0) {
    text.append(buffer, count);
  }
  if (std::ferror(file.get())) {
    return std::nullopt;
  }
  return text;
}

std::string ParserSafeText(std::string_view document) {
  std::string out;
  out.reserve(document.size());
  size_t i = 0;
  while (i < document.size()) {
    unsigned char c = static_cast<unsigned char>(document[i]);
    if (c < 0x80) {
      out += IsForbiddenControl(c) ? '?' : static_cast<char>(c);
      ++i;
      continue;
    }
    size_t length = Utf8SequenceLength(document, i);
    if (length == 0) {
      out += static_cast<char>(0xC0 | (c >> 6));
      out += static_cast<char>(0x80 | (c & 0x3F));
      ++i;
      continue;
    }
    std::string_view sequence = document.substr(i, length);
    // U+FFFE and U+FFFF are not XML characters.
    if (sequence == "\xEF\xBF\xBE" || sequence == "\xEF\xBF\xBF") {
      out += "\xEF\xBF\xBD";
    } else {
      out += sequence;
    }
    i += length;
  }
  return out;
}

// Documents are almost always ASCII, which takes one comparison a byte;
// only bytes above 0x7F are looked at closely.
bool IsParserSafe(std::string_view text) {
  size_t i = 0;
  while (i < text.size()) {
    unsigned char c = static_cast<unsigned char>(text[i]);
    if (c >= 0x20 && c < 0x80) {
      ++i;
      continue;
    }
    if (c < 0x80) {
      if (IsForbiddenControl(c)) {
        return false;
      }
      ++i;
      continue;
    }
    size_t length = Utf8SequenceLength(text, i);
    if (length == 0) {
      return false;
    }
    std::string_view sequence = text.substr(i, length);
    if (sequence == "\xEF\xBF\xBE" || sequence == "\xEF\xBF\xBF") {
      return false;
    }
    i += length;
  }
  return true;
}

XslTransformer::XslTransformer() = default;

std::string XslTransformer::Transform(std::string_view document,
                                      const std::string& stylesheetPath) const {
  return Stylesheet::Load(stylesheetPath).Transform(document);
}

}  // namespace kilnbook
