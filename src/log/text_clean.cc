#include "log/text_clean.h"

namespace kilnbook {

namespace {

bool IsRemoved(unsigned char c) {
  switch (c) {
    case 0x3C:  // <
    case 0x3E:  // >
    case 0x2A:  // *
    case 0xB4:  // acute accent in Latin-1
    case 0x60:  // `
    case 0x7C:  // |
    case 0x27:  // '
    case 0x12:
    case 0x14:
    case 0x1A:
      return true;
    default:
      return false;
  }
}

// Colours of the codes ^1 to ^9; ^9 repeats the red of ^1.
constexpr std::string_view kColours[9] = {
    "#FF0000", "#00A833", "#FFFF00", "#0A00E8", "#00C8C8",
    "#FFA0A0", "#FFFFFF", "#000000", "#FF0000"};

constexpr std::string_view kFontClose = "&lt;/FONT&gt;";

}  // namespace

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
  for (char c : text) {
    if (IsRemoved(static_cast<unsigned char>(c))) {
      continue;
    }
    std::string_view entity = XmlEntity(c);
    if (entity.empty()) {
      out.push_back(c);
    } else {
      out.append(entity);
    }
  }
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
