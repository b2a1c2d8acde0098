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
// rewritten or touched by anyone else changes at least one of these. The
// change time cannot be set back by hand as the modification time can, and
// the type tells a symbolic link put in the page's place (the file itself is
// looked at, not what a link points to).
struct PageIdentity {
  uint64_t device = 0;
  uint64_t inode = 0;
  uint64_t type = 0;  // the file type bits of the mode
  uint64_t size = 0;
  int64_t modifiedSeconds = 0;
  int64_t modifiedNanoseconds = 0;
  int64_t changedSeconds = 0;
  int64_t changedNanoseconds = 0;

  bool operator==(const PageIdentity&) const = default;

  // The identity of the file at `path` now, or nothing when there is none.
  static std::optional<PageIdentity> Of(const std::string& path);
};

// Per server, in the file kilnbook.pages of the server directory: for each
// page made by the last run, the digest of everything it was made from (the
// program, the stylesheets and the documents) and the page file's identity
// right after it was written. A page may be left as it is when both still
// match. Deleting the file makes the next run render every page.
class RenderCache {
 public:
  struct Entry {
    Digest inputs;
    PageIdentity page;
  };

  // The digest of everything one page file is made from: this program (its
  // version and the libraries'), then, for each page written to the file in
  // turn, its stylesheet's inputs and its document.
  class Key {
   public:
    Key();
    void Add(const Digest& styleInputs, std::string_view document);
    Digest digest() const { return builder_.Current(); }

   private:
    Digest::Builder builder_;
  };

  // Reads `path`; a missing or damaged file, or one of an older format,
  // gives an empty cache.
  static RenderCache Load(const std::string& path);

  // Replaces the file at `path` with the cache's text. A cache that cannot
  // be written only costs the next run a full rendering: no message.
  void Save(const std::string& path) const;

  // The cache's text; entries in name order.
  std::string Text() const;
  static RenderCache Parse(std::string_view text);

  // The entry of `name` when the page was made from `inputs` and the file at
  // `path` is still the one written then; null otherwise.
  const Entry* FindCurrent(const std::string& name, const Digest& inputs,
                           const std::string& path) const;

  // The entry for a page just written to `path` from `inputs`; nothing when
  // the file is gone already.
  static std::optional<Entry> EntryOf(const Digest& inputs,
                                      const std::string& path);

  const Entry* Find(const std::string& name) const;
  void Set(const std::string& name, const Entry& entry);

  const std::map<std::string, Entry>& entries() const { return entries_; }

 private:
  std::map<std::string, Entry> entries_;
};

}  // namespace kilnbook

#endif  // KILNBOOK_REPORT_RENDER_CACHE_H_
