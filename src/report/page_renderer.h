// Makes a run's pages on a pool of threads: each page's document is built,
// transformed and written on a worker, and the messages are printed
// afterwards in the order a single thread would print them.
#ifndef KILNBOOK_REPORT_PAGE_RENDERER_H_
#define KILNBOOK_REPORT_PAGE_RENDERER_H_

#include <cstddef>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "report/render_cache.h"
#include "store/digest.h"

namespace kilnbook {

// How documents become pages.
struct PageStyle {
  // The page for a document, or the empty text when the transformation
  // fails. Called from several threads at once.
  std::function<std::string(std::string_view document)> transform;
  // The digest of everything besides the document that the pages depend on
  // (the stylesheet, the program); nothing when that cannot be known, for
  // instance for a stylesheet that reads other files: its pages are then
  // always made anew.
  std::optional<Digest> inputs;
};

// What a stylesheet adds to its pages' inputs: the digest of its text, or
// nothing when its pages may depend on more than its text and the document
// (it imports or includes other files, reads documents, or asks for the
// time, random numbers or generated identifiers). Judged from the text,
// erring on the side of nothing.
std::optional<Digest> StylesheetInputs(std::string_view text);

// Which messages a page's failures print.
enum class PageKind { kPlayer, kMain, kFront };

// What became of the pages of a run.
struct PageCounts {
  size_t made = 0;    // written
  size_t kept = 0;    // left as they were: their inputs did not change
  size_t failed = 0;  // not opened, not written, or left empty
};

class PageRenderer {
 public:
  // With `threads` 0 every page is made on the calling thread, one after
  // the other, and its messages are printed right after it, so that any
  // message that building a document prints itself keeps its place; no
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
  // other. `style` must outlive Run().
  void Add(PageKind kind, std::string path, const PageStyle* style,
           std::function<std::string()> document, std::string cacheName = "");

  // Makes every page and prints the messages: "Failed to open main file:
  // %s\n", "Failed to open front file: %s\n" (a player page that cannot be
  // opened is skipped silently), "Failed to generate detailed HTML for
  // player\n" (or main, frontpage) for a failed transformation, which leaves
  // the page empty, and "Failed to write page: %s\n" for a page that could
  // not be written, which keeps its old content. `cache`, when given, is
  // consulted and then holds the entries of this run's cached pages.
  void Run(RenderCache* cache);

  // The pages of the last Run().
  PageCounts counts() const;

 private:
  struct Page {
    PageKind kind;
    std::string path;
    const PageStyle* style;
    std::function<std::string()> document;
    std::string cacheName;
  };
  enum class Result { kWritten, kSkipped, kNotOpened, kNotTransformed,
                      kNotWritten };
  struct Group {
    std::vector<size_t> pages;  // indexes into pages_, in order
    std::optional<RenderCache::Entry> entry;  // for the cache, when made
  };

  void Render(Group& group, const RenderCache* cache);
  void Report(size_t page) const;
  void RunInOrder();

  size_t threads_;
  std::vector<Page> pages_;
  std::vector<Result> results_;
  std::vector<Group> groups_;
};

// The part of every cached page's inputs that is the program itself: its
// version and the libraries' versions.
std::string_view RenderProgramStamp();

// Removes the page files that an interrupted run left half made (names
// ending in ".html.tmp") from `directory`.
void RemoveLeftoverPageFiles(const std::string& directory);

}  // namespace kilnbook

#endif  // KILNBOOK_REPORT_PAGE_RENDERER_H_
