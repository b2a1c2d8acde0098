#include "report/stylesheet.h"

#include <libexslt/exslt.h>
#include <libxml/globals.h>
#include <libxml/parser.h>
#include <libxml/tree.h>
#include <libxml/xmlerror.h>
#include <libxml/xmlmemory.h>
#include <libxml/xpath.h>
#include <libxslt/extensions.h>
#include <libxslt/transform.h>
#include <libxslt/xslt.h>
#include <libxslt/xsltInternals.h>
#include <libxslt/xsltutils.h>

#include <climits>
#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <optional>

#include "report/utf8_text.h"
#include "store/fd.h"

namespace kilnbook {

namespace {

// One owner type for every libxml2/libxslt object we hold.
struct XmlDeleter {
  void operator()(xmlDoc* doc) const { xmlFreeDoc(doc); }
  void operator()(xsltStylesheet* style) const { xsltFreeStylesheet(style); }
  void operator()(xsltTransformContext* context) const {
    xsltFreeTransformContext(context);
  }
  void operator()(xmlChar* text) const { xmlFree(text); }
};

template <typename T>
using XmlPtr = std::unique_ptr<T, XmlDeleter>;

// The documents never need the network; the stylesheets are parsed the way
// libxslt parses stylesheet files itself.
constexpr int kQuiet = XML_PARSE_NOERROR | XML_PARSE_NOWARNING;
constexpr int kDocumentOptions = XML_PARSE_NONET | kQuiet;
constexpr int kStylesheetOptions =
    XSLT_PARSE_OPTIONS | XML_PARSE_NONET | kQuiet;

void IgnoreGenericError(void* /*context*/, const char* /*format*/, ...) {}

// A template so that it fits the structured handler type of every libxml2
// version (the error parameter gained a const).
template <typename Error>
void IgnoreStructuredError(void* /*context*/, Error /*error*/) {}

// Process-wide set-up, done by the first Load, before any transformation
// can run: the parser's globals, the EXSLT functions, and libxslt's error
// function, which is one global for all threads. libxml2 keeps its error
// handlers per thread; the defaults set here reach threads started later,
// and SilenceThisThread covers threads that already exist.
void InitializeLibraries() {
  static const bool initialized = [] {
    xmlInitParser();
    exsltRegisterAll();
    xsltSetGenericErrorFunc(nullptr, IgnoreGenericError);
    xmlThrDefSetGenericErrorFunc(nullptr, IgnoreGenericError);
    xmlThrDefSetStructuredErrorFunc(nullptr, IgnoreStructuredError);
    return true;
  }();
  static_cast<void>(initialized);
}

void SilenceThisThread() {
  xmlSetGenericErrorFunc(nullptr, IgnoreGenericError);
  xmlSetStructuredErrorFunc(nullptr, IgnoreStructuredError);
}

bool FitsParser(std::string_view text) { return text.size() <= INT_MAX; }

bool Contains(const xmlChar* text, const char* part) {
  return text != nullptr &&
         std::strstr(reinterpret_cast<const char*>(text), part) != nullptr;
}

// Namespaces whose functions or elements make a result depend on more than
// the stylesheet and the document: XPath evaluated from text (which may
// call document()), the clock, user functions, and the extensions of other
// processors that libxslt also provides (they read and write documents).
constexpr const char* kUntrustedNamespaces[] = {
    "http://exslt.org/dynamic",
    "http://exslt.org/dates-and-times",
    "http://exslt.org/functions",
    "http://icl.com/saxon",
    "http://xmlsoft.org/XSLT/namespace",
    "http://xml.apache.org/xalan/redirect",
    "org.apache.xalan.xslt.extensions.Redirect",
    "http://www.jclark.com/xt",
};

// Elements that read or write other files, in whatever namespace:
// xsl:import and xsl:include, XInclude, exsl:document and its kin.
constexpr const char* kUntrustedElements[] = {"import", "include", "document"};

// Words that, in any attribute (where every XPath expression of a
// stylesheet lives), may call a function that reads a file or is not
// repeatable.
constexpr const char* kUntrustedWords[] = {"document", "random", "generate-id",
                                           "unparsed-entity"};

bool IsOneOf(const xmlChar* text, const auto& list) {
  for (const char* item : list) {
    if (xmlStrEqual(text, reinterpret_cast<const xmlChar*>(item))) {
      return true;
    }
  }
  return false;
}

bool AttributesMayReadOtherFiles(const xmlNode* element) {
  for (const xmlAttr* attr = element->properties; attr != nullptr;
       attr = attr->next) {
    for (const xmlNode* text = attr->children; text != nullptr;
         text = text->next) {
      if (text->type != XML_TEXT_NODE) {
        return true;  // an entity reference: not worth understanding
      }
      for (const char* word : kUntrustedWords) {
        if (Contains(text->content, word)) {
          return true;
        }
      }
    }
  }
  return false;
}

bool ElementMayReadOtherFiles(const xmlNode* element) {
  if (IsOneOf(element->name, kUntrustedElements)) {
    return true;
  }
  for (const xmlNs* ns = element->nsDef; ns != nullptr; ns = ns->next) {
    if (IsOneOf(ns->href, kUntrustedNamespaces)) {
      return true;
    }
  }
  return AttributesMayReadOtherFiles(element);
}

// Looks at the parsed stylesheet document before it is compiled. A DTD may
// pull in other files; so may everything ElementMayReadOtherFiles names.
bool DocumentMayReadOtherFiles(const xmlDoc* doc) {
  if (doc->intSubset != nullptr || doc->extSubset != nullptr) {
    return true;
  }
  const xmlNode* node = xmlDocGetRootElement(doc);
  while (node != nullptr) {
    if (node->type == XML_ENTITY_REF_NODE || node->type == XML_XINCLUDE_START ||
        node->type == XML_XINCLUDE_END) {
      return true;
    }
    if (node->type == XML_ELEMENT_NODE && ElementMayReadOtherFiles(node)) {
      return true;
    }
    // Depth first, without recursion.
    if (node->type == XML_ELEMENT_NODE && node->children != nullptr) {
      node = node->children;
      continue;
    }
    while (node != nullptr && node->next == nullptr) {
      node = node->parent;
      if (node != nullptr && node->type == XML_DOCUMENT_NODE) {
        node = nullptr;
      }
    }
    if (node != nullptr) {
      node = node->next;
    }
  }
  return false;
}

// Extension modules may set up data of their own on the stylesheet the first
// time a transformation starts (EXSLT func:function copies the functions of
// imported stylesheets into it). Doing that once here, before the
// stylesheet is shared, leaves the later transformations only reading it.
void PrepareExtensions(xsltStylesheet* style) {
  XmlPtr<xmlDoc> empty(xmlNewDoc(reinterpret_cast<const xmlChar*>("1.0")));
  if (!empty) {
    return;
  }
  XmlPtr<xsltTransformContext> context(
      xsltNewTransformContext(style, empty.get()));
  if (context) {
    xsltSetTransformErrorFunc(context.get(), nullptr, IgnoreGenericError);
    xsltInitCtxtExts(context.get());
  }
}

// The document parsed for `style`. A document with bytes the parser rejects
// is repaired first; the repaired copy is made only for the rare document
// that needs it. Null when it does not parse.
XmlPtr<xmlDoc> ParseDocument(xsltStylesheet* style, std::string_view document) {
  std::string repaired;
  std::string_view text = document;
  if (!IsRepairedUtf8(document, Utf8Repair::kXmlCharacters)) {
    repaired = RepairedUtf8(document, Utf8Repair::kXmlCharacters);
    text = repaired;
  }
  if (!FitsParser(text)) {
    return nullptr;
  }
  // Parsed with names from a dictionary under the stylesheet's own, as
  // libxslt parses the documents it loads itself: the names the stylesheet
  // tests for are then compared as pointers.
  xmlParserCtxt* parser = xmlNewParserCtxt();
  if (parser == nullptr) {
    return nullptr;
  }
  if (style->dict != nullptr) {
    xmlDictFree(parser->dict);
    parser->dict = xmlDictCreateSub(style->dict);
  }
  XmlPtr<xmlDoc> input(xmlCtxtReadMemory(parser, text.data(),
                                         static_cast<int>(text.size()), nullptr,
                                         "UTF-8", kDocumentOptions));
  xmlFreeParserCtxt(parser);
  return input;
}

}  // namespace

struct Stylesheet::Compiled {
  XmlPtr<xsltStylesheet> style;
};

void Stylesheet::CompiledDeleter::operator()(Compiled* compiled) const {
  delete compiled;
}

Stylesheet::Stylesheet(Stylesheet&&) noexcept = default;
Stylesheet& Stylesheet::operator=(Stylesheet&&) noexcept = default;
Stylesheet::~Stylesheet() = default;

Stylesheet Stylesheet::Load(const std::string& path) {
  InitializeLibraries();
  SilenceThisThread();
  Stylesheet stylesheet;
  std::optional<std::string> text = ReadAll(path);
  if (!text || !FitsParser(*text)) {
    return stylesheet;
  }
  stylesheet.bytes_ = std::move(*text);
  // The path as base URL lets the stylesheet import its neighbours.
  XmlPtr<xmlDoc> doc(xmlReadMemory(stylesheet.bytes_.data(),
                                   static_cast<int>(stylesheet.bytes_.size()),
                                   path.c_str(), nullptr, kStylesheetOptions));
  if (!doc) {
    return stylesheet;
  }
  bool readsOtherFiles = DocumentMayReadOtherFiles(doc.get());
  XmlPtr<xsltStylesheet> style(xsltParseStylesheetDoc(doc.get()));
  if (!style) {
    return stylesheet;  // the document was not taken over
  }
  doc.release();  // now freed with the stylesheet
  PrepareExtensions(style.get());
  stylesheet.compiled_.reset(new Compiled{std::move(style)});
  if (!readsOtherFiles) {
    stylesheet.inputs_ = Digest::Of(stylesheet.bytes_);
  }
  return stylesheet;
}

std::string Stylesheet::Transform(std::string_view document) const {
  if (!compiled_) {
    return {};
  }
  SilenceThisThread();
  xsltStylesheet* style = compiled_->style.get();
  XmlPtr<xmlDoc> input = ParseDocument(style, document);
  if (!input) {
    return {};
  }
  // Numbers the elements, so that XPath puts node sets in document order
  // by comparing numbers instead of walking the tree.
  xmlXPathOrderDocElems(input.get());
  XmlPtr<xsltTransformContext> context(
      xsltNewTransformContext(style, input.get()));
  if (!context) {
    return {};
  }
  xsltSetTransformErrorFunc(context.get(), nullptr, IgnoreGenericError);
  XmlPtr<xmlDoc> result(xsltApplyStylesheetUser(
      style, input.get(), nullptr, nullptr, nullptr, context.get()));
  if (!result || context->state == XSLT_STATE_ERROR ||
      context->state == XSLT_STATE_STOPPED) {
    return {};
  }
  xmlChar* raw = nullptr;
  int length = 0;
  int status = xsltSaveResultToString(&raw, &length, result.get(), style);
  XmlPtr<xmlChar> output(raw);
  // No output at all comes back as no buffer.
  if (status != 0 || !output || length <= 0) {
    return {};
  }
  return std::string(reinterpret_cast<const char*>(output.get()),
                     static_cast<size_t>(length));
}

namespace {

// The messages of one DiagnoseStylesheet, gathered from both libraries'
// handlers. libxslt prints a message in pieces; it is split at line feeds.
struct MessageLines {
  std::string pending;
  std::vector<std::string> lines;

  void Add(std::string_view text) {
    pending.append(text);
    size_t newline;
    while ((newline = pending.find('\n')) != std::string::npos) {
      if (newline > 0) {
        lines.push_back(pending.substr(0, newline));
      }
      pending.erase(0, newline + 1);
    }
  }
};

void CollectGenericError(void* context, const char* format, ...) {
  char text[2048];
  va_list arguments;
  va_start(arguments, format);
  std::vsnprintf(text, sizeof text, format, arguments);
  va_end(arguments);
  static_cast<MessageLines*>(context)->Add(text);
}

template <typename Error>
void CollectStructuredError(void* context, Error error) {
  auto* messages = static_cast<MessageLines*>(context);
  std::string line;
  if (error->file != nullptr) {
    line = std::string(error->file) + ":" + std::to_string(error->line) + ": ";
  }
  line += error->message != nullptr ? error->message : "error";
  while (!line.empty() && line.back() == '\n') {
    line.pop_back();
  }
  if (error->domain == XML_FROM_XPATH && error->str1 != nullptr) {
    line += std::string(": ") + error->str1;
  }
  messages->Add(line + "\n");
}

// The dotted form of the libraries' version numbers (20914 gives "2.9.14").
std::string DottedVersion(const char* number) {
  long value = number != nullptr ? std::strtol(number, nullptr, 10) : 0;
  return std::to_string(value / 10000) + "." +
         std::to_string(value / 100 % 100) + "." + std::to_string(value % 100);
}

}  // namespace

StylesheetDiagnosis DiagnoseStylesheet(const std::string& path) {
  InitializeLibraries();
  StylesheetDiagnosis diagnosis;
  std::optional<std::string> text = ReadAll(path);
  if (!text || !FitsParser(*text)) {
    return diagnosis;
  }
  diagnosis.readable = true;
  MessageLines messages;
  xsltSetGenericErrorFunc(&messages, CollectGenericError);
  xmlSetGenericErrorFunc(&messages, CollectGenericError);
  xmlSetStructuredErrorFunc(&messages, CollectStructuredError);
  XmlPtr<xmlDoc> doc(xmlReadMemory(text->data(), static_cast<int>(text->size()),
                                   path.c_str(), nullptr,
                                   kStylesheetOptions & ~kQuiet));
  if (doc) {
    XmlPtr<xsltStylesheet> style(xsltParseStylesheetDoc(doc.get()));
    if (style) {
      doc.release();  // freed with the stylesheet
      diagnosis.compiled = true;
    }
  }
  xsltSetGenericErrorFunc(nullptr, IgnoreGenericError);
  SilenceThisThread();
  messages.Add("\n");
  diagnosis.messages = std::move(messages.lines);
  return diagnosis;
}

std::string XmlLibraryVersions() {
  return "libxml2 " + DottedVersion(xmlParserVersion) + ", libxslt " +
         DottedVersion(xsltEngineVersion) + ", libexslt " +
         DottedVersion(exsltLibraryVersion);
}

}  // namespace kilnbook
