// One HTML page file of a run, replaced as a whole: its new content is
// written beside it and renamed over it, so that a visitor never sees half a
// page and a failed write leaves the previous page as it was.
#ifndef KILNBOOK_REPORT_PAGE_FILE_H_
#define KILNBOOK_REPORT_PAGE_FILE_H_

#include <string>
#include <string_view>
#include <vector>

namespace kilnbook {

// The page's contract with its run:
// - a page that cannot be opened for writing (a directory or a FIFO in its
//   place, no permission, a missing directory) is skipped;
// - a page whose new content cannot be written (a full disk, no free inode)
//   keeps its old content;
// - a failed transformation leaves the page empty;
// - a new page gets mode 0664 under the umask, an existing one keeps its
//   mode; a symbolic link in the page's place is replaced by the page, and
//   what it points to is never written.
class PageFile {
 public:
  // When a page that does not exist yet comes into being.
  enum class Creation {
    // Created empty by Open, before its document is built: pages made one
    // after the other, whose documents may print.
    kAtOpen,
    // Created by the rename of its content: creating a file empty and then
    // replacing it would make the file system flush it at once.
    kByRename,
  };

  enum class Outcome { kWritten, kNotOpened, kNotWritten };

  explicit PageFile(std::string path);

  PageFile(const PageFile&) = delete;
  PageFile& operator=(const PageFile&) = delete;

  // Checks that the page can be written. False when it cannot be opened.
  bool Open(Creation creation);

  // Replaces the page (after Open) with `html`; the empty text for a failed
  // transformation. kNotOpened for a page that does not exist and cannot be
  // created; kNotWritten, with the old page kept, for any other failure.
  Outcome Replace(std::string_view html);

  // Removes from `directory` the page files that an interrupted run left
  // half written beside their pages.
  static void RemoveLeftovers(const std::string& directory);

  // Removes the pages `fileNames` (names without "/") from the folder
  // `folder` of `directory`. A folder that is a symbolic link is not
  // entered, and a link in a page's place is removed itself, never what it
  // points to: nothing outside the folder is touched. A page that is not
  // there is no failure; nothing is reported.
  static void RemovePages(const std::string& directory,
                          const std::string& folder,
                          const std::vector<std::string>& fileNames);

 private:
  std::string path_;
  bool exists_ = false;
};

}  // namespace kilnbook

#endif  // KILNBOOK_REPORT_PAGE_FILE_H_
