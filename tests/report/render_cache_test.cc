// The render cache: its file, its key, and what tells a page still the one
// written.
#include "report/render_cache.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <functional>
#include <string>

#include "support/temp_dir.h"

namespace kilnbook {
namespace {

TEST(RenderCacheTest, TextRoundTripAndDamage) {
  RenderCache cache;
  PageIdentity page{1, 2, S_IFREG, 3, -4, 5, 6, 7};
  cache.Set("kilnplayers/a b.html", {Digest::Of("x"), page});
  cache.Set(std::string("kilnplayers/\n\0.html", 18), {Digest::Of("y"), page});
  std::string text = cache.Text();
  RenderCache parsed = RenderCache::Parse(text);
  EXPECT_EQ(parsed.Text(), text);
  ASSERT_NE(parsed.Find("kilnplayers/a b.html"), nullptr);
  EXPECT_EQ(parsed.Find("kilnplayers/a b.html")->page, page);
  for (size_t cut : {size_t{0}, size_t{5}, size_t{60}, text.size() - 1}) {
    EXPECT_TRUE(RenderCache::Parse(text.substr(0, cut)).entries().empty())
        << cut;
  }
  // A file of the format before the change time was kept: everything is
  // made once more.
  std::string older =
      "kilnbook pages 1\n" + Digest::Of("x").Hex() + " 1 2 3 -4 5 6:a.html\n";
  EXPECT_TRUE(RenderCache::Parse(older).entries().empty());
}

TEST(RenderCacheTest, KeyCoversProgramStylesheetsAndDocuments) {
  auto key =
      [](std::initializer_list<std::pair<const char*, const char*>> pages) {
        RenderCache::Key built;
        for (const auto& [style, document] : pages) {
          built.Add(Digest::Of(style), document);
        }
        return built.digest();
      };
  Digest base = key({{"s", "ab"}, {"s", "c"}});
  EXPECT_EQ(key({{"s", "ab"}, {"s", "c"}}), base);
  EXPECT_NE(key({{"s", "a"}, {"s", "bc"}}), base);
  EXPECT_NE(key({{"t", "ab"}, {"s", "c"}}), base);
  EXPECT_NE(key({{"s", "ab"}}), base);
  EXPECT_NE(key({}), Digest::Of(""));
}

class PageIdentityTest : public TempDirTest {};

// File times advance in ticks of the kernel's clock: waits until a file
// changed now gets a later change time than `path` has.
void WaitForNextTick(const char* path) {
  struct stat page;
  ASSERT_EQ(stat(path, &page), 0);
  for (int i = 0; i < 1000000; ++i) {
    WriteFile("tick", "");
    struct stat tick;
    ASSERT_EQ(stat("tick", &tick), 0);
    if (tick.st_ctim.tv_sec != page.st_ctim.tv_sec ||
        tick.st_ctim.tv_nsec != page.st_ctim.tv_nsec) {
      return;
    }
  }
}

// Every way of changing the page after it was written makes the entry stale.
TEST_F(PageIdentityTest, AnyChangeToThePageIsNoticed) {
  const Digest inputs = Digest::Of("inputs");
  struct Case {
    const char* what;
    std::function<void()> change;
    bool current;
  } cases[] = {
      {"nothing", [] {}, true},
      {"rewritten in place",
       [] {
         int fd = open("p.html", O_WRONLY);
         ASSERT_EQ(write(fd, "P", 1), 1);
         close(fd);
       },
       false},
      {"same size, modification time put back",
       [] {
         struct stat before;
         ASSERT_EQ(stat("p.html", &before), 0);
         WriteFile("p.html", "PAGE");
         const struct timespec times[2] = {before.st_atim, before.st_mtim};
         ASSERT_EQ(utimensat(AT_FDCWD, "p.html", times, 0), 0);
       },
       false},
      {"replaced by a link to a copy",
       [] {
         ASSERT_EQ(rename("p.html", "copy.html"), 0);
         ASSERT_EQ(symlink("copy.html", "p.html"), 0);
       },
       false},
      {"deleted", [] { ASSERT_EQ(unlink("p.html"), 0); }, false},
  };
  for (const Case& c : cases) {
    unlink("p.html");
    WriteFile("p.html", "page");
    RenderCache cache;
    std::optional<RenderCache::Entry> entry =
        RenderCache::EntryOf(inputs, "p.html");
    ASSERT_TRUE(entry) << c.what;
    cache.Set("p", *entry);
    WaitForNextTick("p.html");
    c.change();
    EXPECT_EQ(cache.FindCurrent("p", inputs, "p.html") != nullptr, c.current)
        << c.what;
    EXPECT_EQ(cache.FindCurrent("p", Digest::Of("other"), "p.html"), nullptr)
        << c.what;
  }
  EXPECT_EQ(RenderCache::EntryOf(inputs, "missing.html"), std::nullopt);
}

}  // namespace
}  // namespace kilnbook
