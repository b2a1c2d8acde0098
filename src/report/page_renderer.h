// Makes a run's pages on a pool of threads: each page's document is built,
// transformed and written on a worker, and the messages are printed
// afterwards in the order a single thread would print them.
#ifndef KILNBOOK_REPORT_PAGE_RENDERER_H_
#define KILNBOOK_REPORT_PAGE_RENDERER_H_

#include <cstddef>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "report/render_cache.h"
#include "report/stylesheet.h"
#include "store/digest.h"

namespace kilnbook {

// How documents become pages.
struct PageStyle {
  // The page for a document, or the empty text when the transformation
  // fails. Called from several threads at once.
  std::function<std::string(std::string_view document)> transform;
  // The digest of everything besides the document that the pages depend on
  // (the stylesheet); nothing when that cannot be known, for instance for a
  // stylesheet that reads other files: its pages are then always made anew.
  std::optional<Digest> inputs;
  // False when the stylesheet did not compile: every transformation fails.
  bool compiled = true;

  // Pages through `stylesheet`, with its inputs and whether it compiled.
  static std::shared_ptr<const PageStyle> Of(
      std::shared_ptr<const Stylesheet> stylesheet);
};

// Which messages a page's failures print; game pages (EXTENDED_STATS on)
// are short, like player pages.
enum class PageKind { kPlayer, kMain, kFront, kGame };

// What became of the pages of a run.
struct PageCounts {
  size_t made = 0;    // written
  size_t kept = 0;    // left as they were: their inputs did not change
  size_t failed = 0;  // not opened, not written, or left empty
};

class PageRenderer {
 public:
  // Every page made on the calling thread, one after the other.
  static constexpr size_t kInOrder = 0;

  // With `threads` kInOrder every page is made on the calling thread, one
  // after the other, and its messages are printed right after it, so that
  // any message that building a document prints itself keeps its place; no
  // cache is used then. Otherwise pages are made on that many threads.
  explicit PageRenderer(size_t threads);

  PageRenderer(const PageRenderer&) = delete;
  PageRenderer& operator=(const PageRenderer&) = delete;

  // Adds a page, in the order of the run. `document` is called on a worker
  // and must only read what no one changes meanwhile. A page with a
  // `cacheName` is left as it is when the cache says that it was made from
  // the same inputs and the file is still the one written then; the others
  // are always made. Pages that share a file are made in the order added,
  // the last one's result ending up in the file, as if written one after the
  // other.
  void Add(PageKind kind, std::string path,
           std::shared_ptr<const PageStyle> style,
           std::function<std::string()> document, std::string cacheName = "");

  // Makes every page as PageFile describes and prints the messages: "Failed
  // to open main file: %s\n", "Failed to open front file: %s\n", "Failed
  // to open game file: %s\n" (a player page that cannot be opened is skipped
  // silently), "Failed to generate detailed HTML for player\n" (or main,
  // frontpage, game) for a failed
  // transformation, and "Failed to write page: %s\n" for a page that could
  // not be written. `cache`, when given, is consulted and then holds the
  // entries of this run's cached pages, and of no other page.
  void Run(RenderCache* cache);

  // The pages of the last Run().
  PageCounts counts() const;

 private:
  struct Page {
    PageKind kind;
    std::string path;
    std::shared_ptr<const PageStyle> style;
    std::function<std::string()> document;
    std::string cacheName;
  };
  enum class Result {
    kWritten,
    kSkipped,
    kNotOpened,
    kNotTransformed,
    kNotWritten
  };
  // The pages that share one file, made together by one worker.
  struct Group {
    std::vector<size_t> pages;                // indexes into pages_, in order
    std::optional<RenderCache::Entry> entry;  // for the cache, when made
  };

  void RunInOrder();
  void GroupByFile();
  void RenderOnThreads(const RenderCache* cache);
  void Render(Group& group, const RenderCache* cache);
  std::optional<Digest> CacheKey(const Group& group,
                                 const std::vector<std::string>& documents,
                                 const RenderCache* cache) const;
  std::string Transform(const Group& group,
                        const std::vector<std::string>& documents);
  void Mark(const Group& group, Result result);
  void Report(size_t page) const;

  size_t threads_;
  std::vector<Page> pages_;
  std::vector<Result> results_;
  std::vector<Group> groups_;
};

}  // namespace kilnbook

#endif  // KILNBOOK_REPORT_PAGE_RENDERER_H_
