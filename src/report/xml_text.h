// Line builders shared by the XML documents: tabs, element, value, line feed.
#ifndef KILNBOOK_REPORT_XML_TEXT_H_
#define KILNBOOK_REPORT_XML_TEXT_H_

#include <cstdint>
#include <string>
#include <string_view>

namespace kilnbook {

// Appends `tabs` tabs, "<element>", `value` unescaped, "</element>\n".
void AppendElement(std::string& out, int tabs, std::string_view element,
                   std::string_view value);

// The same with `value` in its "%d" form.
void AppendElement(std::string& out, int tabs, std::string_view element,
                   int32_t value);

// The same with a wider `value` in its AppendWideNumber form.
void AppendWideElement(std::string& out, int tabs, std::string_view element,
                       int64_t value);

// Appends `tabs` tabs and `element` as an opening (`slash` empty) or closing
// ("/") tag on a line of its own: a document has hundreds of them.
void AppendTagLine(std::string& out, int tabs, std::string_view slash,
                   std::string_view element);

// Appends `tabs` tabs and `text` + "\n".
void AppendLine(std::string& out, int tabs, std::string_view text);

}  // namespace kilnbook

#endif  // KILNBOOK_REPORT_XML_TEXT_H_
