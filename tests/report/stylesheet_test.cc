// Compiled stylesheets: loading, EXSLT, what they may read, and one
// stylesheet shared by several threads.
#include "report/stylesheet.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "support/capture_stderr.h"
#include "support/temp_dir.h"

namespace kilnbook {
namespace {

// The start of a stylesheet: the EXSLT namespaces and `extra` ones, then
// `imports` (which must come first), then text output.
std::string Head(const std::string& extra = "",
                 const std::string& imports = "") {
  return "<?xml version=\"1.0\"?>\n"
         "<xsl:stylesheet version=\"1.0\" " +
         extra +
         "xmlns:xsl=\"http://www.w3.org/1999/XSL/Transform\" "
         "xmlns:str=\"http://exslt.org/strings\" "
         "xmlns:math=\"http://exslt.org/math\" "
         "xmlns:exsl=\"http://exslt.org/common\" "
         "xmlns:f=\"urn:kilnbook-test\">\n" +
         imports + "<xsl:output method=\"text\" encoding=\"UTF-8\"/>\n";
}

// For Head's `extra`: user functions.
constexpr const char kFunctions[] =
    "xmlns:func=\"http://exslt.org/functions\" "
    "extension-element-prefixes=\"func\" ";
constexpr const char kTail[] = "</xsl:stylesheet>\n";

// A stylesheet that writes `select` once for the root.
std::string TextStylesheet(const std::string& select) {
  return Head() + "<xsl:template match=\"/\"><xsl:value-of select=\"" + select +
         "\"/></xsl:template>\n" + kTail;
}

constexpr const char kDocument[] =
    "<?xml version=\"1.0\"?>\n<KILNBOOKS>\n"
    "<P><NAME>a&amp;b c/\xC3\xA9</NAME><K>3</K></P>\n"
    "<P><NAME>Bob</NAME><K>12</K></P>\n"
    "<P><NAME>Al</NAME><K>7</K></P>\n"
    "</KILNBOOKS>\n";

class StylesheetTest : public TempDirTest {};

TEST_F(StylesheetTest, ExsltFunctionsAreRegistered) {
  struct Case {
    std::string select;
    std::string expected;
  } cases[] = {
      {"str:encode-uri(//P[1]/NAME, true())", "a%26b%20c%2F%C3%A9"},
      {"str:replace(//P[1]/NAME, '&amp;', '&amp;amp;')", "a&amp;b c/\xC3\xA9"},
      {"math:max(//K)", "12"},
      {"count(exsl:node-set(//P[K &gt; 5]))", "2"},
  };
  for (const Case& c : cases) {
    WriteFile("style.xsl", TextStylesheet(c.select));
    Stylesheet stylesheet = Stylesheet::Load("style.xsl");
    ASSERT_TRUE(stylesheet.IsCompiled()) << c.select;
    EXPECT_EQ(stylesheet.Transform(kDocument), c.expected) << c.select;
  }
}

TEST_F(StylesheetTest, KeepsItsBytesAndIsCompiledOnce) {
  std::string text = TextStylesheet("count(//P)");
  WriteFile("style.xsl", text);
  Stylesheet stylesheet = Stylesheet::Load("style.xsl");
  EXPECT_EQ(stylesheet.bytes(), text);
  WriteFile("style.xsl", TextStylesheet("'changed'"));
  EXPECT_EQ(stylesheet.Transform(kDocument), "3");
  EXPECT_EQ(stylesheet.Transform(kDocument), "3");
}

// Every failure gives the empty text, and the libraries print nothing.
TEST_F(StylesheetTest, UnusableStylesheetOrDocumentTransformsToNothing) {
  const std::string good = TextStylesheet("count(//P)");
  struct Case {
    const char* what;
    std::string stylesheet;  // empty: no file
    std::string document;
  } cases[] = {
      {"missing stylesheet", "", kDocument},
      {"stylesheet not XML", "<xsl:stylesheet", kDocument},
      {"XML but no stylesheet", "<?xml version=\"1.0\"?>\n<page/>\n",
       kDocument},
      {"XPath error", TextStylesheet("count(//P"), kDocument},
      {"unknown instruction",
       Head() + "<xsl:template match=\"/\"><xsl:bogus/></xsl:template>\n" +
           kTail,
       kDocument},
      {"terminating message",
       Head() +
           "<xsl:template match=\"/\"><xsl:message terminate=\"yes\">"
           "stop</xsl:message></xsl:template>\n" +
           kTail,
       kDocument},
      {"no output", Head() + kTail, "<?xml version=\"1.0\"?>\n<KILNBOOKS/>\n"},
      {"document not XML", good, "<KILNBOOKS><P>"},
      {"empty document", good, ""},
  };
  for (const Case& c : cases) {
    unlink("style.xsl");
    if (!c.stylesheet.empty()) {
      WriteFile("style.xsl", c.stylesheet);
    }
    std::string result = "unset";
    std::string err = CaptureStderr([&] {
      Stylesheet stylesheet = Stylesheet::Load("style.xsl");
      EXPECT_EQ(stylesheet.bytes(), c.stylesheet) << c.what;
      if (!stylesheet.IsCompiled()) {
        EXPECT_EQ(stylesheet.inputs(), std::nullopt) << c.what;
      }
      result = stylesheet.Transform(c.document);
    });
    EXPECT_EQ(result, "") << c.what;
    EXPECT_EQ(err, "") << c.what;
  }
}

// Names reach the documents as raw bytes: a document the parser would
// reject is repaired first, to the page of its UTF-8 twin.
TEST_F(StylesheetTest, RepairedAndUntouchedDocumentsGiveTheSamePage) {
  WriteFile("style.xsl",
            TextStylesheet("concat(//P[1]/NAME, '|', //P[2]/NAME)"));
  Stylesheet stylesheet = Stylesheet::Load("style.xsl");
  auto document = [](const std::string& first, const std::string& second) {
    return "<?xml version=\"1.0\"?>\n<KILNBOOKS>\n<P><NAME>" + first +
           "</NAME></P>\n<P><NAME>" + second + "</NAME></P>\n</KILNBOOKS>\n";
  };
  EXPECT_EQ(stylesheet.Transform(document("Ren\xC3\xA9", "Bad?Boy")),
            "Ren\xC3\xA9|Bad?Boy");
  EXPECT_EQ(stylesheet.Transform(document("Ren\xE9",
                                          "Bad\x01"
                                          "Boy")),
            "Ren\xC3\xA9|Bad?Boy");
}

TEST_F(StylesheetTest, LargeStylesheetIsReadWholeAndImportsItsNeighbours) {
  ASSERT_EQ(mkdir("styles", 0755), 0);
  WriteFile("styles/common.xsl",
            Head() +
                "<xsl:template match=\"NAME\">[<xsl:value-of select=\".\"/>]"
                "</xsl:template>\n" +
                kTail);
  std::string padding = "<!--" + std::string(70000, ' ') + "-->\n";
  WriteFile("styles/page.xsl",
            Head("", "<xsl:import href=\"common.xsl\"/>\n") + padding +
                "<xsl:template match=\"/\">"
                "<xsl:apply-templates select=\"//P[2]/NAME\"/>"
                "</xsl:template>\n" +
                kTail);
  EXPECT_EQ(Stylesheet::Load("styles/page.xsl").Transform(kDocument), "[Bob]");
}

// Only a stylesheet whose bytes and document alone decide its pages has
// inputs, and they are the digest of its bytes.
TEST_F(StylesheetTest, InputsOnlyWhenNothingButItsBytesCanCount) {
  WriteFile("module.xsl", Head() + kTail);
  auto in = [](const std::string& content) {
    return Head() + "<xsl:template match=\"/\">" + content +
           "</xsl:template>\n" + kTail;
  };
  struct Case {
    const char* what;
    std::string text;
    bool trusted;
  } cases[] = {
      {"plain", TextStylesheet("str:encode-uri(//P[1]/NAME, true())"), true},
      {"words in text and comments",
       in("<!-- import include random -->"
          "<script>document.getElementById('q')</script>"),
       true},
      {"key", TextStylesheet("count(key('k', 1))"), true},
      {"import", Head("", "<xsl:import href=\"module.xsl\"/>\n") + kTail,
       false},
      {"include", Head() + "<xsl:include href=\"module.xsl\"/>\n" + kTail,
       false},
      {"document()", TextStylesheet("count(document('module.xsl'))"), false},
      {"document() spelt with a character reference",
       TextStylesheet("count(&#100;ocument(''))"), false},
      {"document() in an attribute value template",
       in("<a href=\"{document('')}\"/>"), false},
      {"DTD",
       "<?xml version=\"1.0\"?>\n<!DOCTYPE xsl:stylesheet [\n"
       "<!ENTITY e SYSTEM \"module.xsl\">\n]>\n" +
           TextStylesheet("1").substr(22),
       false},
      {"dynamic XPath", Head("xmlns:dyn=\"http://exslt.org/dynamic\" ") + kTail,
       false},
      {"clock",
       Head("xmlns:date=\"http://exslt.org/dates-and-times\" ") + kTail, false},
      {"random", TextStylesheet("math:random()"), false},
      {"generated identifiers", TextStylesheet("generate-id(/)"), false},
      {"unparsed entities", TextStylesheet("unparsed-entity-uri('e')"), false},
      {"user functions", Head(kFunctions) + kTail, false},
      {"a document written beside",
       in("<exsl:document href=\"side.html\">x</exsl:document>"), false},
      {"another processor's extensions",
       Head("xmlns:saxon=\"http://icl.com/saxon\" ") + kTail, false},
  };
  for (const Case& c : cases) {
    WriteFile("style.xsl", c.text);
    Stylesheet stylesheet = Stylesheet::Load("style.xsl");
    EXPECT_TRUE(stylesheet.IsCompiled()) << c.what;
    std::optional<Digest> expected;
    if (c.trusted) {
      expected = Digest::Of(c.text);
    }
    EXPECT_EQ(stylesheet.inputs(), expected) << c.what;
  }
  // The default stylesheets depend on their own bytes only.
  for (const char* name :
       {"kilnbook.xsl", "kilnbook_player.xsl", "kilnbook_front.xsl",
        "kilnbook_ladder.xsl", "kilnbook_maps.xsl", "kilnbook_games.xsl",
        "kilnbook_game.xsl"}) {
    Stylesheet stylesheet = Stylesheet::Load(
        std::string(KILNBOOK_SOURCE_DIR "/stylesheets/") + name);
    EXPECT_TRUE(stylesheet.IsCompiled()) << name;
    EXPECT_EQ(stylesheet.inputs(), Digest::Of(stylesheet.bytes())) << name;
  }
}

// A stylesheet that leans on what a shared stylesheet must keep apart per
// transformation: keys, sorts, variables, result tree fragments, EXSLT
// functions, and a func:function from an imported module.
constexpr const char kModule[] =
    "<func:function name=\"f:link\"><xsl:param name=\"name\"/>"
    "<func:result select=\"concat('./', str:encode-uri($name, true()), "
    "'.html')\"/></func:function>\n";
constexpr const char kPage[] =
    "<xsl:key name=\"by-kills\" match=\"P\" use=\"K\"/>\n"
    "<xsl:variable name=\"rows\"><xsl:for-each select=\"//P\">"
    "<xsl:sort select=\"K\" data-type=\"number\" order=\"descending\"/>"
    "<row name=\"{NAME}\" k=\"{K}\"/></xsl:for-each></xsl:variable>\n"
    "<xsl:template match=\"/\">"
    "<xsl:value-of select=\"math:max(//K)\"/>|"
    "<xsl:value-of select=\"count(key('by-kills', '7'))\"/>|"
    "<xsl:for-each select=\"exsl:node-set($rows)/row\">"
    "<xsl:value-of select=\"f:link(@name)\"/>=<xsl:value-of select=\"@k\"/>;"
    "</xsl:for-each></xsl:template>\n";

// A main document of `players` players whose names and counts depend on
// `seed`.
std::string MainDocument(int seed, int players) {
  std::string text = "<?xml version=\"1.0\"?>\n<KILNBOOKS>\n";
  text += "\t<SORT_BY>" + std::string(seed % 2 ? "SCORE" : "KILLS") +
          "</SORT_BY>\n\t<INFO>\n\t\t<SERVER_NAME>S" + std::to_string(seed) +
          "</SERVER_NAME>\n\t</INFO>\n<PLAYERS>\n";
  for (int i = 0; i < players; ++i) {
    std::string name = "p" + std::to_string((i * 7 + seed) % players) +
                       (i % 3 ? " #&amp;" : "\xC3\xA9");
    int kills = (i * 13 + seed) % 29;
    text += "<PLAYER>\n\t<NAME>" + name + "</NAME>\n\t<PLAINNAME>" + name +
            "</PLAINNAME>\n\t<HTMLNAME>" + name +
            "</HTMLNAME>\n\t<STATS>\n\t\t<KILLS>" + std::to_string(kills) +
            "</KILLS>\n\t\t<DEATHS>" + std::to_string(i % 5) +
            "</DEATHS>\n\t\t<SCORE>" + std::to_string((kills * 3) % 31) +
            "</SCORE>\n\t\t<RATIO>" + std::to_string(kills * 10) +
            "</RATIO>\n\t\t<SUICIDES>" + std::to_string(i % 4) +
            "</SUICIDES>\n\t\t<TEAMKILLS>" + std::to_string(i % 2) +
            "</TEAMKILLS>\n\t</STATS>\n</PLAYER>\n";
  }
  return text + "</PLAYERS>\n</KILNBOOKS>\n";
}

std::string TestDocument(int seed) {
  std::string text = "<?xml version=\"1.0\"?>\n<KILNBOOKS>\n";
  for (int i = 0; i < 6; ++i) {
    text += "<P><NAME>n" + std::to_string(seed * 6 + i) +
            (i % 2 ? "/x y" : "") + "</NAME><K>" +
            std::to_string((seed + i * 5) % 11) + "</K></P>\n";
  }
  return text + "</KILNBOOKS>\n";
}

TEST_F(StylesheetTest, SharedAcrossThreadsGivesTheSingleThreadedResults) {
  WriteFile("module.xsl", Head(kFunctions) + kModule + kTail);
  WriteFile("page.xsl",
            Head("", "<xsl:import href=\"module.xsl\"/>\n") + kPage + kTail);
  struct Case {
    std::string path;
    std::vector<std::string> documents;
  } cases[] = {
      {"page.xsl", {}},
      {KILNBOOK_SOURCE_DIR "/stylesheets/kilnbook.xsl", {}},
  };
  for (int seed = 0; seed < 12; ++seed) {
    cases[0].documents.push_back(TestDocument(seed));
    cases[1].documents.push_back(MainDocument(seed, 20 + seed));
  }
  constexpr int kThreads = 4;
  constexpr int kRounds = 3;
  for (const Case& c : cases) {
    const Stylesheet stylesheet = Stylesheet::Load(c.path);
    ASSERT_TRUE(stylesheet.IsCompiled()) << c.path;
    std::vector<std::string> expected;
    for (const std::string& document : c.documents) {
      expected.push_back(stylesheet.Transform(document));
      ASSERT_NE(expected.back(), "") << c.path;
    }
    // Each thread starts at a different document, so different documents
    // are transformed at the same moment.
    std::vector<int> mismatches(kThreads, 0);
    std::vector<std::thread> threads;
    for (int t = 0; t < kThreads; ++t) {
      threads.emplace_back([&, t] {
        size_t count = c.documents.size();
        for (size_t k = 0; k < kRounds * count; ++k) {
          size_t i = (k + static_cast<size_t>(t) * 5) % count;
          if (stylesheet.Transform(c.documents[i]) != expected[i]) {
            ++mismatches[t];
          }
        }
      });
    }
    for (std::thread& thread : threads) {
      thread.join();
    }
    EXPECT_EQ(mismatches, std::vector<int>(kThreads, 0)) << c.path;
  }
}

TEST_F(StylesheetTest, FailuresOnAnotherThreadStayQuiet) {
  WriteFile("style.xsl",
            TextStylesheet("concat(count(document('missing.xml')), $nothing)"));
  const Stylesheet stylesheet = Stylesheet::Load("style.xsl");
  ASSERT_TRUE(stylesheet.IsCompiled());
  std::string result = "unset";
  std::string err = CaptureStderr([&] {
    std::thread thread([&] { result = stylesheet.Transform(kDocument); });
    thread.join();
  });
  EXPECT_EQ(result, "");
  EXPECT_EQ(err, "");
}

}  // namespace
}  // namespace kilnbook
