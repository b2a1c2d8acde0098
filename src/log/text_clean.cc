#include "log/text_clean.h"

#include <array>

namespace kilnbook {

namespace {

// What cleaning does with each byte: most bytes are kept, runs of them
// are copied at once.
enum class Cleaning : unsigned char { kKeep, kRemove, kEntity };

constexpr std::array<Cleaning, 256> kCleaning = [] {
  std::array<Cleaning, 256> table{};
  // < > * ` | ' and the acute accent of Latin-1 (0xB4), and three control
  // bytes.
  for (unsigned char c :
       {0x3C, 0x3E, 0x2A, 0x60, 0x7C, 0x27, 0xB4, 0x12, 0x14, 0x1A}) {
    table[c] = Cleaning::kRemove;
  }
  table['&'] = Cleaning::kEntity;
  table['"'] = Cleaning::kEntity;
  return table;
}();

// Colours of the codes ^1 to ^9; ^9 repeats the red of ^1.
constexpr std::string_view kColours[9] = {"#FF0000", "#00A833", "#FFFF00",
                                          "#0A00E8", "#00C8C8", "#FFA0A0",
                                          "#FFFFFF", "#000000", "#FF0000"};

constexpr std::string_view kFontClose = "&lt;/FONT&gt;";

}  // namespace

bool IsCleanText(std::string_view text) {
  for (char c : text) {
    if (kCleaning[static_cast<unsigned char>(c)] == Cleaning::kRemove) {
      return false;
    }
  }
  return true;
}

std::string_view XmlEntity(char c) {
  switch (c) {
    case '&':
      return "&amp;";
    case '"':
      return "&quot;";
    case '\'':
      return "&apos;";
    default:
      return {};
  }
}

std::string CleanText(std::string_view text) {
  std::string out;
  AppendCleanText(out, text);
  return out;
}

void AppendCleanText(std::string& out, std::string_view text) {
  out.reserve(out.size() + text.size());
  size_t run = 0;  // start of the bytes kept as they are
  for (size_t i = 0; i < text.size(); ++i) {
    Cleaning cleaning = kCleaning[static_cast<unsigned char>(text[i])];
    if (cleaning == Cleaning::kKeep) {
      continue;
    }
    out.append(text.substr(run, i - run));
    if (cleaning == Cleaning::kEntity) {
      out.append(XmlEntity(text[i]));
    }
    run = i + 1;
  }
  out.append(text.substr(run));
}

std::string ColorizeName(std::string_view name, NameMode mode) {
  std::string out;
  AppendColorizedName(out, name, mode);
  return out;
}

void AppendColorizedName(std::string& out, std::string_view name,
                         NameMode mode) {
  out.reserve(out.size() + name.size());
  bool opened = false;
  size_t pos = 0;
  while (true) {
    size_t caret = name.find('^', pos);
    if (caret == std::string_view::npos) {
      out.append(name.substr(pos));
      break;
    }
    char code = caret + 1 < name.size() ? name[caret + 1] : '\0';
    if (code < '1' || code > '9') {
      // Not a colour code: the caret is text, the next byte is read as text.
      out.append(name.substr(pos, caret + 1 - pos));
      pos = caret + 1;
      continue;
    }
    out.append(name.substr(pos, caret - pos));
    if (mode == NameMode::kMarkup) {
      if (opened) {
        out.append(kFontClose);
      }
      out.append("&lt;FONT COLOR=\"");
      out.append(kColours[code - '1']);
      out.append("\"&gt;");
    }
    opened = true;
    pos = caret + 2;
  }
  if (mode == NameMode::kMarkup && opened) {
    out.append(kFontClose);
  }
}

}  // namespace kilnbook
