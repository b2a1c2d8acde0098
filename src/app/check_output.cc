#include "app/check_output.h"

#include <cstdio>

namespace kilnbook {

namespace {

bool IsControl(unsigned char c) { return c < 0x20 || c == 0x7F; }

std::string Hex(unsigned char c) {
  char text[8];
  std::snprintf(text, sizeof text, "0x%02X", c);
  return text;
}

}  // namespace

void CheckOutput::Line(std::string_view indent, std::string_view text) {
  text_.append(indent);
  text_.append(text);
  text_ += '\n';
}

void CheckOutput::Heading(std::string_view text) { Line("", text); }

void CheckOutput::Item(std::string_view text) { Line("  ", text); }

void CheckOutput::Error(std::string_view text) {
  ++errors_;
  Line("    error: ", text);
}

void CheckOutput::Warning(std::string_view text) {
  ++warnings_;
  Line("    warning: ", text);
}

void CheckOutput::Note(std::string_view text) { Line("    note: ", text); }

void CheckOutput::Detail(std::string_view text) { Line("      ", text); }

std::string Quoted(std::string_view text) {
  std::string quoted = "\"";
  for (char c : text) {
    auto byte = static_cast<unsigned char>(c);
    if (c == '"' || c == '\\') {
      quoted += '\\';
      quoted += c;
    } else if (IsControl(byte)) {
      quoted += "\\x" + Hex(byte).substr(2);
    } else {
      quoted += c;
    }
  }
  return quoted + "\"";
}

std::string PathText(std::string_view path) {
  for (char c : path) {
    if (c == ' ' || c == '"' || c == '\\' ||
        IsControl(static_cast<unsigned char>(c))) {
      return Quoted(path);
    }
  }
  return path.empty() ? Quoted(path) : std::string(path);
}

std::string ByteName(char c) {
  auto byte = static_cast<unsigned char>(c);
  if (IsControl(byte) || byte >= 0x80) {
    return "byte " + Hex(byte);
  }
  return "'" + std::string(1, c) + "'";
}

}  // namespace kilnbook
