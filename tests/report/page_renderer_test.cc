// Pages made one after the other or on threads: the same files and the
// same messages either way, and the cache leaves unchanged pages alone.
#include "report/page_renderer.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <string>
#include <vector>

#include "report/render_cache.h"
#include "store/atomic_file.h"
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
    SetStyle(Digest::Of("style 1"));
  }

  void SetStyle(std::optional<Digest> inputs) {
    auto style = std::make_shared<PageStyle>();
    style->transform = [this](std::string_view document) {
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
    style->inputs = inputs;
    style_ = style;
  }

  // One player page per (file, document), a main page last; returns what
  // the run printed.
  std::string Render(
      const std::vector<std::pair<std::string, std::string>>& pages,
      size_t threads, RenderCache* cache) {
    PageRenderer renderer(threads);
    for (const auto& [file, document] : pages) {
      std::string text = document;
      renderer.Add(
          PageKind::kPlayer, file, style_, [text] { return text; }, file);
    }
    renderer.Add(PageKind::kMain, "main.html", style_,
                 [] { return std::string("!main fails"); });
    return CaptureStdout([&] { renderer.Run(cache); });
  }

  std::shared_ptr<const PageStyle> style_;
  std::atomic<int> transforms_{0};
};

bool IsRegularFile(const char* path) {
  struct stat info;
  return lstat(path, &info) == 0 && S_ISREG(info.st_mode);
}

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
      {"page rewritten by someone", [] { WriteFile("b.html", "edited"); }, "b",
       true},
      {"page deleted", [] { unlink("b.html"); }, "b", true},
      {"page replaced by a link to its copy",
       [] {
         rename("b.html", "copy.html");
         symlink("copy.html", "b.html");
       },
       "b", true},
      {"stylesheet changed", [this] { SetStyle(Digest::Of("2")); }, "b", true},
      {"stylesheet not to be trusted", [this] { SetStyle(std::nullopt); }, "b",
       true},
  };
  for (const Case& c : cases) {
    SetStyle(Digest::Of("style 1"));
    Render({{"a.html", "a"}, {"b.html", "b"}}, 2, &cache);
    c.change();
    std::optional<PageIdentity> before = PageIdentity::Of("b.html");
    transforms_ = 0;
    Render({{"a.html", "a"}, {"b.html", c.bDocument}}, 2, &cache);
    bool made = PageIdentity::Of("b.html") != before;
    EXPECT_EQ(made, c.bMadeAgain) << c.what;
    EXPECT_EQ(ReadFile("b.html"), c.bDocument == "b" ? "B" : "B2") << c.what;
    EXPECT_TRUE(IsRegularFile("b.html")) << c.what;
  }
  EXPECT_EQ(ReadFile("copy.html"), "B");
  // A page no longer made is forgotten.
  SetStyle(Digest::Of("style 1"));
  Render({{"a.html", "a"}}, 2, &cache);
  EXPECT_EQ(cache.Find("b.html"), nullptr);
  EXPECT_NE(cache.Find("a.html"), nullptr);
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
  std::string inOrder = Render(pages, PageRenderer::kInOrder, nullptr);
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

// Every failure prints its message (or, for a player page that cannot be
// opened, none) at its page's place in the run, threads or not.
TEST_F(PageRendererTest, FailuresAreReportedInTheOrderOfThePages) {
  ASSERT_EQ(mkdir("player.html", 0755), 0);
  ASSERT_EQ(mkdir("main.html", 0755), 0);
  WriteFile("full.html", "old");
  ASSERT_EQ(mkdir(AtomicFile("full.html").tempPath().c_str(), 0755), 0);
  for (size_t threads : {PageRenderer::kInOrder, size_t{2}}) {
    PageRenderer renderer(threads);
    auto page = [&](PageKind kind, const char* path, const char* document) {
      std::string text = document;
      renderer.Add(kind, path, style_, [text] { return text; });
    };
    page(PageKind::kPlayer, "player.html", "p");
    page(PageKind::kMain, "main.html", "m");
    page(PageKind::kPlayer, "failed.html", "!p");
    page(PageKind::kMain, "full.html", "m");
    page(PageKind::kMain, "fine.html", "m");
    page(PageKind::kFront, "nowhere/front.html", "f");
    EXPECT_EQ(CaptureStdout([&] { renderer.Run(nullptr); }),
              "Failed to open main file: main.html\n"
              "Failed to generate detailed HTML for player\n"
              "Failed to write page: full.html\n"
              "Failed to open front file: nowhere/front.html\n")
        << threads;
    EXPECT_EQ(ReadFile("full.html"), "old");
    EXPECT_EQ(ReadFile("failed.html"), "");
    EXPECT_EQ(ReadFile("fine.html"), "M");
  }
}

// Made one after the other, a page is created before its document is built
// (building may print), and keeps its old content until it is replaced.
TEST_F(PageRendererTest, InOrderPagesAreOpenedBeforeTheirDocumentIsBuilt) {
  WriteFile("main.html", "old");
  std::vector<std::string> seen;
  PageRenderer renderer(PageRenderer::kInOrder);
  renderer.Add(PageKind::kMain, "main.html", style_, [&] {
    seen.push_back(ReadFile("main.html"));
    return std::string("new");
  });
  renderer.Add(PageKind::kPlayer, "fresh.html", style_, [&] {
    seen.push_back(ReadFile("fresh.html"));
    return std::string("!fails");
  });
  renderer.Add(PageKind::kFront, "nowhere/front.html", style_, [&] {
    seen.push_back("built");
    return std::string("front");
  });
  EXPECT_EQ(CaptureStdout([&] { renderer.Run(nullptr); }),
            "Failed to generate detailed HTML for player\n"
            "Failed to open front file: nowhere/front.html\n");
  EXPECT_EQ(seen, (std::vector<std::string>{"old", ""}));
  EXPECT_EQ(ReadFile("main.html"), "NEW");
  EXPECT_EQ(ReadFile("fresh.html"), "");
}

}  // namespace
}  // namespace kilnbook
