// Transformations through real stylesheet files in a temporary directory.
#include "report/xsl_transformer.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <string>

#include "support/capture_stderr.h"
#include "support/run_program.h"
#include "support/temp_dir.h"

namespace kilnbook {
namespace {

constexpr const char kStylesheetHead[] =
    "<?xml version=\"1.0\"?>\n"
    "<xsl:stylesheet version=\"1.0\" "
    "xmlns:xsl=\"http://www.w3.org/1999/XSL/Transform\">\n";
constexpr const char kStylesheetTail[] = "</xsl:stylesheet>\n";

// A stylesheet that writes the text of every NAME element, one per line.
std::string NamesStylesheet(const std::string& padding = "") {
  return std::string(kStylesheetHead) + padding +
         "<xsl:output method=\"text\" encoding=\"UTF-8\"/>\n"
         "<xsl:template match=\"/\">"
         "<xsl:for-each select=\"//NAME\"><xsl:value-of select=\".\"/>"
         "<xsl:text>&#10;</xsl:text></xsl:for-each>"
         "</xsl:template>\n" +
         kStylesheetTail;
}

constexpr const char kDocument[] =
    "<?xml version=\"1.0\"?>\n<KILNBOOKS>\n<PLAYER>\n\t<NAME>Bob</NAME>\n"
    "</PLAYER>\n</KILNBOOKS>\n";

class XslTransformerTest : public TempDirTest {
 protected:
  std::string Run(const std::string& document,
                  const std::string& path = "style.xsl") {
    return XslTransformer().Transform(document, path);
  }
};

TEST_F(XslTransformerTest, ReadWholeFileReadsAnySizeAndReportsMissing) {
  EXPECT_EQ(ReadWholeFile("missing"), std::nullopt);
  std::string big(200000, 'x');
  big[64000] = 'y';
  big.back() = 'z';
  WriteFile("big", big);
  EXPECT_EQ(ReadWholeFile("big"), big);
  WriteFile("empty", "");
  EXPECT_EQ(ReadWholeFile("empty"), "");
  // A directory opens but cannot be read.
  EXPECT_EQ(ReadWholeFile("."), std::nullopt);
}

TEST(ParserSafeTextTest, RepairsOnlyWhatTheParserRejects) {
  struct Case {
    std::string input;
    std::string expected;
  } cases[] = {
      {"plain <A>text</A>", "plain <A>text</A>"},
      {"\t\n\r kept", "\t\n\r kept"},
      {std::string("a\0b", 3), "a?b"},
      {"\x01\x08\x0B\x0C\x0E\x1B\x1F", "???????"},
      {"\x7F", "\x7F"},
      // Latin-1 bytes become their UTF-8 form.
      {"Ren\xE9", "Ren\xC3\xA9"},
      {"\xFF\x80", "\xC3\xBF\xC2\x80"},
      // Well-formed UTF-8 is kept, next to a Latin-1 byte too.
      {"Ren\xC3\xA9 \xE9", "Ren\xC3\xA9 \xC3\xA9"},
      {"\xE2\x82\xAC\xF0\x9F\x98\x80", "\xE2\x82\xAC\xF0\x9F\x98\x80"},
      // Overlong forms, surrogates and truncated sequences are not UTF-8.
      {"\xC0\xAF", "\xC3\x80\xC2\xAF"},
      {"\xED\xA0\x80", "\xC3\xAD\xC2\xA0\xC2\x80"},
      {"\xC3", "\xC3\x83"},
      {"\xE2\x82", "\xC3\xA2\xC2\x82"},
      {"\xF4\x90\x80\x80", "\xC3\xB4\xC2\x90\xC2\x80\xC2\x80"},
      // Non-characters of XML.
      {"\xEF\xBF\xBE\xEF\xBF\xBF", "\xEF\xBF\xBD\xEF\xBF\xBD"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(ParserSafeText(c.input), c.expected) << c.input;
  }
}

// The transformer hands the parser the document itself whenever the repair
// would change nothing; the two must agree on every input.
TEST(IsParserSafeTest, AgreesWithTheRepair) {
  const std::string inputs[] = {
      "", "plain <A>text</A>", "\t\n\r kept", std::string("a\0b", 3),
      "\x01", "\x1F", "\x7F", "x\x0B", "Ren\xE9", "\xFF\x80",
      "Ren\xC3\xA9", "Ren\xC3\xA9 \xE9", "\xE2\x82\xAC\xF0\x9F\x98\x80",
      "\xC0\xAF", "\xED\xA0\x80", "\xED\x9F\xBF", "\xC3", "\xE2\x82",
      "\xF4\x8F\xBF\xBF", "\xF4\x90\x80\x80", "\xEF\xBF\xBD",
      "\xEF\xBF\xBE", "a\xEF\xBF\xBF", "\xEF\xBF"};
  for (const std::string& input : inputs) {
    EXPECT_EQ(IsParserSafe(input), ParserSafeText(input) == input) << input;
    EXPECT_TRUE(IsParserSafe(ParserSafeText(input))) << input;
  }
}

TEST_F(XslTransformerTest, RepairedAndUntouchedDocumentsGiveTheSamePage) {
  WriteFile("style.xsl", NamesStylesheet());
  auto document = [](const std::string& first, const std::string& second) {
    return "<?xml version=\"1.0\"?>\n<KILNBOOKS>\n\t<NAME>" + first +
           "</NAME>\n\t<NAME>" + second + "</NAME>\n</KILNBOOKS>\n";
  };
  std::string untouched = document("Ren\xC3\xA9", "Bad?Boy");
  std::string repaired = document("Ren\xE9", "Bad\x01" "Boy");
  ASSERT_TRUE(IsParserSafe(untouched));
  ASSERT_FALSE(IsParserSafe(repaired));
  EXPECT_EQ(Run(untouched), "Ren\xC3\xA9\nBad?Boy\n");
  EXPECT_EQ(Run(repaired), Run(untouched));
}

TEST_F(XslTransformerTest, StylesheetLargerThan64000BytesIsReadWhole) {
  std::string padding = "<!--" + std::string(70000, ' ') + "-->\n";
  std::string stylesheet = NamesStylesheet(padding);
  ASSERT_GT(stylesheet.size(), 64001u);
  WriteFile("style.xsl", stylesheet);
  EXPECT_EQ(Run(kDocument), "Bob\n");
}

TEST_F(XslTransformerTest, EveryFailureGivesEmptyResultAndStaysQuiet) {
  struct Case {
    const char* what;
    std::string stylesheet;  // empty: no file
    std::string document;
  } cases[] = {
      {"missing stylesheet", "", kDocument},
      {"stylesheet not XML", "<xsl:stylesheet", kDocument},
      {"XML but no stylesheet", "<?xml version=\"1.0\"?>\n<page/>\n",
       kDocument},
      {"unknown instruction",
       std::string(kStylesheetHead) +
           "<xsl:template match=\"/\"><xsl:bogus/></xsl:template>\n" +
           kStylesheetTail,
       kDocument},
      {"terminating message",
       std::string(kStylesheetHead) +
           "<xsl:template match=\"/\"><xsl:message terminate=\"yes\">"
           "stop</xsl:message></xsl:template>\n" +
           kStylesheetTail,
       kDocument},
      {"no output",
       std::string(kStylesheetHead) + "<xsl:output method=\"text\"/>\n" +
           kStylesheetTail,
       "<?xml version=\"1.0\"?>\n<KILNBOOKS/>\n"},
      {"document not XML", NamesStylesheet(), "<KILNBOOKS><NAME>"},
      {"empty document", NamesStylesheet(), ""},
  };
  for (const Case& c : cases) {
    unlink("style.xsl");
    if (!c.stylesheet.empty()) {
      WriteFile("style.xsl", c.stylesheet);
    }
    std::string result = "unset";
    std::string err;
    std::string out = CaptureStdout(
        [&] { err = CaptureStderr([&] { result = Run(c.document); }); });
    EXPECT_EQ(result, "") << c.what;
    EXPECT_EQ(out, "") << c.what;
    EXPECT_EQ(err, "") << c.what;
  }
}

TEST_F(XslTransformerTest, NothingIsCachedBetweenTransformations) {
  WriteFile("style.xsl", NamesStylesheet());
  XslTransformer transformer;
  EXPECT_EQ(transformer.Transform(kDocument, "style.xsl"), "Bob\n");
  WriteFile("style.xsl",
            std::string(kStylesheetHead) +
                "<xsl:output method=\"text\"/>\n"
                "<xsl:template match=\"/\">changed</xsl:template>\n" +
                kStylesheetTail);
  EXPECT_EQ(transformer.Transform(kDocument, "style.xsl"), "changed");
}

TEST_F(XslTransformerTest, StylesheetImportsItsNeighbours) {
  ASSERT_EQ(mkdir("styles", 0755), 0);
  WriteFile("styles/common.xsl",
            std::string(kStylesheetHead) +
                "<xsl:template match=\"NAME\">[<xsl:value-of select=\".\"/>]"
                "</xsl:template>\n" +
                kStylesheetTail);
  WriteFile("styles/page.xsl",
            std::string(kStylesheetHead) +
                "<xsl:import href=\"common.xsl\"/>\n"
                "<xsl:output method=\"text\"/>\n"
                "<xsl:template match=\"/\">"
                "<xsl:apply-templates select=\"//NAME\"/></xsl:template>\n" +
                kStylesheetTail);
  EXPECT_EQ(Run(kDocument, "styles/page.xsl"), "[Bob]");
}

}  // namespace
}  // namespace kilnbook
