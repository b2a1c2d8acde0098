#include "report/page_renderer.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <atomic>
#include <string>
#include <vector>

#include "report/render_cache.h"
#include "support/run_program.h"
#include "support/temp_dir.h"

namespace kilnbook {
namespace {

// Pages whose "transformation" upper-cases the document; a document that
// starts with "!" fails.
class PageRendererTest : public TempDirTest {
 protected:
  void SetUp() override {
    TempDirTest::SetUp();
    style_.transform = [this](std::string_view document) {
      ++transforms_;
      if (!document.empty() && document[0] == '!') {
        return std::string();
      }
      std::string page(document);
      for (char& c : page) {
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
      }
      return page;
    };
    style_.inputs = Digest::Of("style 1");
  }

  // One player page per (file, document), a main page last; returns what
  // the run printed.
  std::string Render(const std::vector<std::pair<std::string, std::string>>& pages,
                     size_t threads, RenderCache* cache) {
    PageRenderer renderer(threads);
    for (const auto& [file, document] : pages) {
      std::string text = document;
      renderer.Add(PageKind::kPlayer, file, &style_, [text] { return text; },
                   file);
    }
    renderer.Add(PageKind::kMain, "main.html", &style_,
                 [] { return std::string("!main fails"); });
    return CaptureStdout([&] { renderer.Run(cache); });
  }

  PageStyle style_;
  std::atomic<int> transforms_{0};
};

TEST_F(PageRendererTest, ThreadsLeaveUnchangedPagesAloneAndMakeChangedOnes) {
  RenderCache cache;
  Render({{"a.html", "a"}, {"b.html", "b"}}, 2, &cache);
  EXPECT_EQ(ReadFile("a.html"), "A");
  EXPECT_EQ(cache.entries().size(), 2u);

  struct Case {
    const char* what;
    std::function<void()> change;
    std::string bDocument;
    bool bMadeAgain;
  };
  const Case cases[] = {
      {"nothing changed", [] {}, "b", false},
      {"document changed", [] {}, "b2", true},
      {"page rewritten by someone", [] { WriteFile("b.html", "edited"); },
       "b", true},
      {"page deleted", [] { unlink("b.html"); }, "b", true},
      {"stylesheet changed", [this] { style_.inputs = Digest::Of("2"); }, "b",
       true},
      {"stylesheet not to be trusted",
       [this] { style_.inputs = std::nullopt; }, "b", true},
  };
  for (const Case& c : cases) {
    style_.inputs = Digest::Of("style 1");
    Render({{"a.html", "a"}, {"b.html", "b"}}, 2, &cache);
    c.change();
    std::optional<PageIdentity> before = PageIdentity::Of("b.html");
    transforms_ = 0;
    Render({{"a.html", "a"}, {"b.html", c.bDocument}}, 2, &cache);
    bool made = PageIdentity::Of("b.html") != before;
    EXPECT_EQ(made, c.bMadeAgain) << c.what;
    EXPECT_EQ(ReadFile("b.html"), c.bDocument == "b" ? "B" : "B2") << c.what;
  }
}

// Pages made on threads print exactly what one thread would, in order; a
// failed page is never cached, so it fails (and says so) every time.
TEST_F(PageRendererTest, ThreadsKeepMessageOrderAndNeverCacheFailures) {
  std::vector<std::pair<std::string, std::string>> pages;
  for (int i = 0; i < 40; ++i) {
    pages.push_back({"p" + std::to_string(i) + ".html",
                     (i % 3 == 0 ? "!" : "") + std::to_string(i)});
  }
  // Two players with one file: the later one's page wins.
  pages.push_back({"p1.html", "later"});
  std::string inOrder = Render(pages, 0, nullptr);
  EXPECT_EQ(ReadFile("p1.html"), "LATER");
  RenderCache cache;
  for (int run = 0; run < 2; ++run) {
    EXPECT_EQ(Render(pages, 4, &cache), inOrder) << run;
    EXPECT_EQ(ReadFile("p0.html"), "");
    EXPECT_EQ(ReadFile("p1.html"), "LATER");
  }
  EXPECT_EQ(cache.Find("p0.html"), nullptr);
  EXPECT_NE(cache.Find("p1.html"), nullptr);
}

TEST(RenderCacheTest, TextRoundTripAndDamage) {
  RenderCache cache;
  PageIdentity page{1, 2, 3, -4, 5};
  cache.Set("kilnplayers/a b.html", {Digest::Of("x"), page});
  cache.Set(std::string("kilnplayers/\n\0.html", 18), {Digest::Of("y"), page});
  RenderCache parsed = RenderCache::Parse(cache.Text());
  EXPECT_EQ(parsed.Text(), cache.Text());
  ASSERT_NE(parsed.Find("kilnplayers/a b.html"), nullptr);
  EXPECT_EQ(parsed.Find("kilnplayers/a b.html")->page, page);
  std::string text = cache.Text();
  for (size_t cut : {size_t{0}, size_t{5}, text.size() - 1}) {
    EXPECT_TRUE(RenderCache::Parse(text.substr(0, cut)).entries().empty());
  }
}

TEST(StylesheetInputsTest, DoubtfulStylesheetsAreNotTrusted) {
  const char* trusted[] = {"<xsl:value-of select=\"key('w', 1)\"/>",
                           "document.getElementById('q')"};
  const char* doubtful[] = {"<xsl:import href=\"a.xsl\"/>",
                            "<xsl:include href=\"a.xsl\"/>",
                            "select=\"document('x.xml')\"",
                            "select=\"generate-id()\"",
                            "xmlns:date=\"http://exslt.org/dates-and-times\"",
                            "math:random()"};
  for (const char* text : trusted) {
    EXPECT_EQ(StylesheetInputs(text), Digest::Of(text)) << text;
  }
  for (const char* text : doubtful) {
    EXPECT_FALSE(StylesheetInputs(text)) << text;
  }
}

}  // namespace
}  // namespace kilnbook
