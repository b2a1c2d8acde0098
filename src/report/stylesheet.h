// A stylesheet file compiled once and applied to many documents, by several
// threads at the same time.
#ifndef KILNBOOK_REPORT_STYLESHEET_H_
#define KILNBOOK_REPORT_STYLESHEET_H_

#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "store/digest.h"

namespace kilnbook {

// The file's bytes and, when they compile, the libxslt program made from
// them; the one owner of libxslt and libxml2 in the program. The EXSLT
// functions (str:, math:, exsl:, set:, date:, dyn:, func:) are available to
// every stylesheet. The libraries' own error printing is
// switched off; callers report failures with their own messages.
//
// Threads: once loaded, a Stylesheet is only read. Any number of threads may
// call Transform on one shared const Stylesheet at the same time; each call
// parses its own document into its own transformation context. Load and
// destruction must not overlap with a Transform of the same object.
class Stylesheet {
 public:
  // Reads the file at `path` whole and compiles it; imports and includes
  // are resolved relative to `path` and read now. Never fails as a call: a
  // file that cannot be read gives empty bytes, and one that does not
  // compile is kept with its bytes; either transforms every document to the
  // empty text.
  static Stylesheet Load(const std::string& path);

  Stylesheet(Stylesheet&&) noexcept;
  Stylesheet& operator=(Stylesheet&&) noexcept;
  ~Stylesheet();

  // The bytes of the file as Load read them (for a digest of what a page
  // was made from).
  const std::string& bytes() const { return bytes_; }

  // True when the bytes compiled into a stylesheet.
  bool IsCompiled() const { return compiled_ != nullptr; }

  // The one answer to "do the bytes above and the document alone decide
  // every result?": the digest of the bytes when they do, nothing when a
  // result may depend on more. More is other files (an import or include,
  // document(), a DTD or entity, XInclude, elements that write or read
  // documents), text evaluated as XPath, the clock, math:random,
  // generate-id, unparsed-entity-uri, the extension namespaces of other
  // processors, or a stylesheet that did not compile. Judged from the parsed
  // stylesheet, erring on the side of nothing: a page made with a stylesheet
  // that has no inputs is made anew every time.
  const std::optional<Digest>& inputs() const { return inputs_; }

  // The result text of the stylesheet applied to `document`. A document
  // with bytes the parser rejects is first repaired (RepairedUtf8 with
  // kXmlCharacters). Empty when the stylesheet is not compiled, the document
  // does not parse, the transformation fails, or it produces no output.
  std::string Transform(std::string_view document) const;

 private:
  struct Compiled;  // the libxslt stylesheet
  struct CompiledDeleter {
    void operator()(Compiled* compiled) const;
  };

  Stylesheet() = default;

  std::string bytes_;
  std::unique_ptr<Compiled, CompiledDeleter> compiled_;
  std::optional<Digest> inputs_;
};

// What compiling a stylesheet file said, for a check of an installation.
struct StylesheetDiagnosis {
  bool readable = false;  // the file could be read
  bool compiled = false;  // it compiled, as Stylesheet::Load would compile it
  // libxml2's and libxslt's messages, one per line, with the file and line
  // where the libraries name them; warnings may come with a compiled one.
  std::vector<std::string> messages;
};

// Reads and compiles the stylesheet at `path` as Stylesheet::Load does, but
// keeps the libraries' messages instead of silencing them. Not to be called
// while another thread uses the libraries: their error handlers are
// process-wide while it runs.
StylesheetDiagnosis DiagnoseStylesheet(const std::string& path);

// The versions of the XML libraries that the program runs with (which may
// be newer than those it was built with): "libxml2 2.9.14, libxslt 1.1.35,
// libexslt 0.8.20".
std::string XmlLibraryVersions();

}  // namespace kilnbook

#endif  // KILNBOOK_REPORT_STYLESHEET_H_
