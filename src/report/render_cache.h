// What each page of a server was last made from, so that a page whose
// inputs did not change is not made again.
#ifndef KILNBOOK_REPORT_RENDER_CACHE_H_
#define KILNBOOK_REPORT_RENDER_CACHE_H_

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <string_view>

#include "store/digest.h"

namespace kilnbook {

// Tells whether a page file is still the one a run wrote: a file replaced,
// rewritten or touched by anyone else changes at least one of these.
struct PageIdentity {
  uint64_t device = 0;
  uint64_t inode = 0;
  uint64_t size = 0;
  int64_t modifiedSeconds = 0;
  int64_t modifiedNanoseconds = 0;

  bool operator==(const PageIdentity&) const = default;

  // The identity of the file at `path` now, or nothing when there is none.
  static std::optional<PageIdentity> Of(const std::string& path);
};

// Per server, in the file kilnbook.pages of the server directory: for each
// page made by the last run, the digest of everything it was made from (the
// program, the stylesheet and the document) and the page file's identity
// right after it was written. A page may be left as it is when both still
// match. Deleting the file makes the next run render every page.
class RenderCache {
 public:
  struct Entry {
    Digest inputs;
    PageIdentity page;
  };

  // Reads `path`; a missing or damaged file gives an empty cache.
  static RenderCache Load(const std::string& path);

  // The cache's text; entries in name order.
  std::string Text() const;
  static RenderCache Parse(std::string_view text);

  const Entry* Find(const std::string& name) const;
  void Set(const std::string& name, const Entry& entry);

  const std::map<std::string, Entry>& entries() const { return entries_; }

 private:
  std::map<std::string, Entry> entries_;
};

// The cache's name in a server directory.
inline constexpr const char kRenderCacheFileName[] = "kilnbook.pages";

}  // namespace kilnbook

#endif  // KILNBOOK_REPORT_RENDER_CACHE_H_
