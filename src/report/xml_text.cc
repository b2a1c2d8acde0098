#include "report/xml_text.h"

#include "log/number_text.h"

namespace kilnbook {

void AppendElement(std::string& out, int tabs, std::string_view element,
                   std::string_view value) {
  out.append(static_cast<size_t>(tabs), '\t');
  out += '<';
  out += element;
  out += '>';
  out += value;
  out += "</";
  out += element;
  out += ">\n";
}

void AppendElement(std::string& out, int tabs, std::string_view element,
                   int32_t value) {
  out.append(static_cast<size_t>(tabs), '\t');
  out += '<';
  out += element;
  out += '>';
  AppendNumber(out, value);
  out += "</";
  out += element;
  out += ">\n";
}

void AppendWideElement(std::string& out, int tabs, std::string_view element,
                       int64_t value) {
  out.append(static_cast<size_t>(tabs), '\t');
  out += '<';
  out += element;
  out += '>';
  AppendWideNumber(out, value);
  out += "</";
  out += element;
  out += ">\n";
}

void AppendTagLine(std::string& out, int tabs, std::string_view slash,
                   std::string_view element) {
  out.append(static_cast<size_t>(tabs), '\t');
  out += '<';
  out += slash;
  out += element;
  out += ">\n";
}

void AppendLine(std::string& out, int tabs, std::string_view text) {
  out.append(static_cast<size_t>(tabs), '\t');
  out += text;
  out += '\n';
}

}  // namespace kilnbook
