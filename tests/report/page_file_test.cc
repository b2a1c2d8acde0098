// A page file replaced as a whole: what becomes of the page for each way its
// writing can go.
#include "report/page_file.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "store/atomic_file.h"
#include "support/file_size_limit.h"
#include "support/temp_dir.h"

namespace kilnbook {
namespace {

using Creation = PageFile::Creation;
using Outcome = PageFile::Outcome;

class PageFileTest : public TempDirTest {
 protected:
  void Clear() {
    for (const std::string& name : DirectoryEntries()) {
      std::filesystem::remove_all(name);
    }
  }
};

// Where the new content of "p.html" is written before it is renamed.
std::string TempPath() { return AtomicFile("p.html").tempPath(); }

void OldPage() { WriteFile("p.html", "old"); }

// Another file's content where the page is a link to it; no directory can
// take a new file after NoRoom.
void LinkToSecret() {
  WriteFile("secret", "secret");
  ASSERT_EQ(symlink("secret", "p.html"), 0);
}
void NoRoom() { ASSERT_EQ(mkdir(TempPath().c_str(), 0755), 0); }

TEST_F(PageFileTest, PageIsReplacedWholeOrKeptAsItWas) {
  struct Case {
    const char* what;
    std::function<void()> before;
    Creation creation;
    std::string html;  // empty: a failed transformation
    bool opens;
    Outcome outcome;                  // when it opens
    std::optional<std::string> page;  // afterwards; nothing: no page
    size_t sizeLimit = 0;             // a full disk past this many bytes
  } cases[] = {
      {"replaced", OldPage, Creation::kByRename, "new", true, Outcome::kWritten,
       "new"},
      {"failed transformation", OldPage, Creation::kByRename, "", true,
       Outcome::kWritten, ""},
      {"made by its rename", [] {}, Creation::kByRename, "new", true,
       Outcome::kWritten, "new"},
      {"full disk", OldPage, Creation::kByRename, "a longer new page", true,
       Outcome::kNotWritten, "old", 4},
      {"no free inode",
       [] {
         OldPage();
         NoRoom();
       },
       Creation::kByRename, "new", true, Outcome::kNotWritten, "old"},
      {"no free inode, failed transformation",
       [] {
         OldPage();
         NoRoom();
       },
       Creation::kByRename, "", true, Outcome::kNotWritten, "old"},
      {"no page and no free inode", NoRoom, Creation::kByRename, "new", true,
       Outcome::kNotOpened, std::nullopt},
      {"a directory in its place", [] { ASSERT_EQ(mkdir("p.html", 0755), 0); },
       Creation::kByRename, "new", false, Outcome::kNotOpened, std::nullopt},
      {"a FIFO in its place", [] { ASSERT_EQ(mkfifo("p.html", 0644), 0); },
       Creation::kAtOpen, "new", false, Outcome::kNotOpened, std::nullopt},
      {"a link in its place", LinkToSecret, Creation::kAtOpen, "new", true,
       Outcome::kWritten, "new"},
      {"a link, failed transformation", LinkToSecret, Creation::kByRename, "",
       true, Outcome::kWritten, ""},
      {"a dangling link",
       [] { ASSERT_EQ(symlink("made-through-link", "p.html"), 0); },
       Creation::kAtOpen, "new", true, Outcome::kWritten, "new"},
  };
  for (const Case& c : cases) {
    Clear();
    c.before();
    PageFile page("p.html");
    ASSERT_EQ(page.Open(c.creation), c.opens) << c.what;
    if (c.opens) {
      Outcome outcome;
      if (c.sizeLimit != 0) {
        FileSizeLimit limit(c.sizeLimit);
        outcome = page.Replace(c.html);
      } else {
        outcome = page.Replace(c.html);
      }
      EXPECT_EQ(outcome, c.outcome) << c.what;
    }
    if (c.page) {
      EXPECT_EQ(ReadFile("p.html"), *c.page) << c.what;
      struct stat info;
      ASSERT_EQ(lstat("p.html", &info), 0) << c.what;
      EXPECT_TRUE(S_ISREG(info.st_mode)) << c.what;
    } else if (c.opens) {
      EXPECT_FALSE(FileExists("p.html")) << c.what;
    }
    // What a link pointed to is never written nor created.
    EXPECT_TRUE(!FileExists("secret") || ReadFile("secret") == "secret")
        << c.what;
    EXPECT_FALSE(FileExists("made-through-link")) << c.what;
    // Nothing is left beside the page.
    EXPECT_TRUE(!FileExists(TempPath()) || FileMode(TempPath()) == 0755)
        << c.what;
  }
}

TEST_F(PageFileTest, NewPagesGetMode0664UnderTheUmask) {
  for (Creation creation : {Creation::kAtOpen, Creation::kByRename}) {
    unlink("p.html");
    mode_t previous = umask(0);
    PageFile page("p.html");
    ASSERT_TRUE(page.Open(creation));
    EXPECT_EQ(page.Replace("new"), Outcome::kWritten);
    umask(previous);
    EXPECT_EQ(FileMode("p.html"), 0664);
  }
  ASSERT_EQ(chmod("p.html", 0640), 0);
  PageFile page("p.html");
  ASSERT_TRUE(page.Open(Creation::kByRename));
  EXPECT_EQ(page.Replace("again"), Outcome::kWritten);
  EXPECT_EQ(FileMode("p.html"), 0640);
}

// A run killed while it wrote pages leaves their new content beside them.
TEST_F(PageFileTest, LeftoversOfAnInterruptedRunAreRemoved) {
  WriteFile("p.html", "page");
  WriteFile("notes.tmp", "kept");
  {
    AtomicFile interrupted("p.html", AtomicFile::Durability::kUnsynced);
    ASSERT_TRUE(interrupted.Open());
    interrupted.Keep();
  }
  ASSERT_EQ(DirectoryEntries().size(), 3u);
  PageFile::RemoveLeftovers(".");
  EXPECT_EQ(DirectoryEntries(),
            (std::vector<std::string>{"notes.tmp", "p.html"}));
}

}  // namespace
}  // namespace kilnbook
