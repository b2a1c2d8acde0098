// HTML pages from XML documents: one XSLT transformation through libxslt.
#ifndef KILNBOOK_REPORT_XSL_TRANSFORMER_H_
#define KILNBOOK_REPORT_XSL_TRANSFORMER_H_

#include <optional>
#include <string>
#include <string_view>

namespace kilnbook {

// The whole content of `path`, whatever its size, or nothing when the file
// cannot be opened or read.
std::optional<std::string> ReadWholeFile(const std::string& path);

// The copy of a document that is handed to the XML parser. Names reach the
// documents as raw bytes: a bot or the server console may use Latin-1, and
// any byte below 0x20 may survive cleaning. The parser accepts neither, and
// one such name must not cost a whole server its pages. So: valid UTF-8
// sequences are kept (U+FFFE and U+FFFF become U+FFFD), every other byte
// above 0x7F is read as Latin-1 and written as UTF-8, and every control byte
// that XML forbids becomes "?". Tab, line feed and carriage return stay.
std::string ParserSafeText(std::string_view document);

// True when ParserSafeText would give back `document` unchanged, so that the
// parser can be handed the text itself without a copy.
bool IsParserSafe(std::string_view document);

// Applies a stylesheet file to a document text. Each call reads and
// compiles the stylesheet anew (a Stylesheet that lives for the call) and
// shares nothing with any other call. A run that applies one stylesheet to
// many documents loads a Stylesheet once instead.
class XslTransformer {
 public:
  XslTransformer();

  XslTransformer(const XslTransformer&) = delete;
  XslTransformer& operator=(const XslTransformer&) = delete;

  // The result text of the stylesheet at `stylesheetPath` applied to
  // `document`, as Stylesheet::Transform gives it. Empty when the
  // stylesheet cannot be read, either text does not parse, the
  // transformation fails, or it produces no output.
  std::string Transform(std::string_view document,
                        const std::string& stylesheetPath) const;
};

}  // namespace kilnbook

#endif  // KILNBOOK_REPORT_XSL_TRANSFORMER_H_
