#include "report/xsl_transformer.h"

#include <cstdio>
#include <memory>

#include "report/stylesheet.h"
#include "report/utf8_text.h"

namespace kilnbook {

namespace {

struct FileCloser {
  void operator()(std::FILE* file) const { std::fclose(file); }
};

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
      AppendLatin1(out, c);
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
