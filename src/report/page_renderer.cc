#include "report/page_renderer.h"

#include <dirent.h>
#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cstdio>
#include <map>
#include <thread>

#include <libxml/xmlversion.h>
#include <libxslt/xsltconfig.h>

#include "report/summary_xml.h"
#include "store/atomic_file.h"
#include "store/fd.h"

namespace kilnbook {

namespace {

enum class Replaced { kDone, kNoFile, kFailed };

// Replaces the page with `html`: a new file beside it renamed over it, so
// that a failed write (a full disk) leaves the previous page whole. When the
// directory takes no new file but the page itself is open (`page`), the page
// is written in place; when it is not, there is no page to write.
Replaced ReplacePage(int page, const std::string& path,
                     const std::string& html) {
  AtomicFile file(path, AtomicFile::Durability::kUnsynced);
  if (file.Open()) {
    return file.Write(html) && file.Commit() ? Replaced::kDone
                                             : Replaced::kFailed;
  }
  if (page < 0) {
    return Replaced::kNoFile;
  }
  return ::ftruncate(page, 0) == 0 && WriteAll(page, html) ? Replaced::kDone
                                                           : Replaced::kFailed;
}

constexpr std::string_view kTempSuffix = ".html.tmp";

}  // namespace

std::optional<Digest> StylesheetInputs(std::string_view text) {
  static constexpr std::string_view kDoubtful[] = {
      "import",        "include",           "document(",
      "document (",    "generate-id",       "random",
      "dates-and-times", "unparsed-entity", "exslt.org/functions",
  };
  for (std::string_view word : kDoubtful) {
    if (text.find(word) != std::string_view::npos) {
      return std::nullopt;
    }
  }
  return Digest::Of(text);
}

std::string_view RenderProgramStamp() {
  static const std::string stamp = std::string("kilnbook ") + kVersion +
                                   " pages 1, libxslt " +
                                   LIBXSLT_DOTTED_VERSION + ", libxml2 " +
                                   LIBXML_DOTTED_VERSION;
  return stamp;
}

void RemoveLeftoverPageFiles(const std::string& directory) {
  DIR* listing = ::opendir(directory.c_str());
  if (listing == nullptr) {
    return;
  }
  while (const dirent* entry = ::readdir(listing)) {
    std::string_view name = entry->d_name;
    if (name.size() > kTempSuffix.size() &&
        name.substr(name.size() - kTempSuffix.size()) == kTempSuffix) {
      ::unlinkat(::dirfd(listing), entry->d_name, 0);
    }
  }
  ::closedir(listing);
}

PageRenderer::PageRenderer(size_t threads) : threads_(threads) {}

void PageRenderer::Add(PageKind kind, std::string path, const PageStyle* style,
                       std::function<std::string()> document,
                       std::string cacheName) {
  pages_.push_back(
      {kind, std::move(path), style, std::move(document), std::move(cacheName)});
}

void PageRenderer::RunInOrder() {
  results_.assign(pages_.size(), Result::kWritten);
  for (size_t i = 0; i < pages_.size(); ++i) {
    Group group;
    group.pages.push_back(i);
    Render(group, nullptr);
    Report(i);
  }
}

void PageRenderer::Run(RenderCache* cache) {
  if (threads_ == 0) {
    RunInOrder();
    return;
  }
  results_.assign(pages_.size(), Result::kWritten);
  groups_.clear();
  std::map<std::string_view, size_t> groupOf;
  for (size_t i = 0; i < pages_.size(); ++i) {
    auto [it, added] = groupOf.try_emplace(pages_[i].path, groups_.size());
    if (added) {
      groups_.emplace_back();
    }
    groups_[it->second].pages.push_back(i);
  }
  if (threads_ == 1 || groups_.size() == 1) {
    for (Group& group : groups_) {
      Render(group, cache);
    }
  } else {
    // Each thread takes the next page not yet taken. A pool library was
    // tried (Boost.Asio); its fences are invisible to ThreadSanitizer.
    // The long pages (main pages list every player) go first, so that the
    // short ones fill the threads' idle ends.
    std::vector<Group*> order;
    order.reserve(groups_.size());
    for (bool players : {false, true}) {
      for (Group& group : groups_) {
        if ((pages_[group.pages.front()].kind == PageKind::kPlayer) == players) {
          order.push_back(&group);
        }
      }
    }
    std::atomic<size_t> next{0};
    auto work = [&] {
      for (size_t i = next++; i < order.size(); i = next++) {
        Render(*order[i], cache);
      }
    };
    std::vector<std::jthread> workers;
    for (size_t t = 1; t < std::min(threads_, groups_.size()); ++t) {
      workers.emplace_back(work);
    }
    work();
  }
  for (size_t i = 0; i < pages_.size(); ++i) {
    Report(i);
  }
  if (cache != nullptr) {
    for (const Group& group : groups_) {
      if (group.entry) {
        cache->Set(pages_[group.pages.back()].cacheName, *group.entry);
      }
    }
  }
}

PageCounts PageRenderer::counts() const {
  PageCounts counts;
  for (Result result : results_) {
    if (result == Result::kWritten) {
      ++counts.made;
    } else if (result == Result::kSkipped) {
      ++counts.kept;
    } else {
      ++counts.failed;
    }
  }
  return counts;
}

void PageRenderer::Render(Group& group, const RenderCache* cache) {
  const Page& last = pages_[group.pages.back()];
  bool cacheable = cache != nullptr;
  for (size_t index : group.pages) {
    const Page& page = pages_[index];
    cacheable = cacheable && !page.cacheName.empty() &&
                page.cacheName == last.cacheName && page.style->inputs;
  }
  auto markAll = [&](Result result) {
    for (size_t index : group.pages) {
      results_[index] = result;
    }
  };
  // Made one after the other, a page is opened (and created) before its
  // document is built, as building may print. Otherwise it is opened only
  // once it is known to need making, and one that does not exist yet is
  // created by the rename of its content: replacing a file just created
  // empty would make the file system flush it at once.
  const bool inOrder = threads_ == 0;
  Fd file;
  bool missing = false;
  auto open = [&](int create) {
    file.Reset(::open(last.path.c_str(), O_WRONLY | O_CLOEXEC | create, 0664));
    missing = !file.ok() && create == 0 && errno == ENOENT;
    return file.ok() || missing;
  };
  if (inOrder && !open(O_CREAT)) {
    markAll(Result::kNotOpened);
    return;
  }
  std::vector<std::string> documents;
  documents.reserve(group.pages.size());
  for (size_t index : group.pages) {
    documents.push_back(pages_[index].document());
  }
  std::optional<Digest> inputs;
  if (cacheable) {
    Digest::Builder builder;
    builder.Add(RenderProgramStamp());
    for (size_t i = 0; i < documents.size(); ++i) {
      const Digest& style = *pages_[group.pages[i]].style->inputs;
      std::string stamp = style.Hex() + " " + std::to_string(documents[i].size()) + "\n";
      builder.Add(stamp);
      builder.Add(documents[i]);
    }
    inputs = builder.Current();
    const RenderCache::Entry* entry = cache->Find(last.cacheName);
    if (entry != nullptr && entry->inputs == *inputs &&
        PageIdentity::Of(last.path) == entry->page) {
      markAll(Result::kSkipped);
      group.entry = *entry;
      return;
    }
  }
  if (!inOrder && !open(0)) {
    markAll(Result::kNotOpened);
    return;
  }
  std::string html;
  bool allMade = true;
  for (size_t i = 0; i < group.pages.size(); ++i) {
    const Page& page = pages_[group.pages[i]];
    html = page.style->transform(documents[i]);
    if (html.empty()) {
      results_[group.pages[i]] = Result::kNotTransformed;
      allMade = false;
    }
  }
  if (html.empty()) {
    // A failed transformation leaves an empty page.
    if (missing && !open(O_CREAT)) {
      markAll(Result::kNotOpened);
    } else {
      ::ftruncate(file.get(), 0);
    }
    return;
  }
  switch (ReplacePage(file.get(), last.path, html)) {
    case Replaced::kDone:
      break;
    case Replaced::kNoFile:
      markAll(Result::kNotOpened);
      return;
    case Replaced::kFailed:
      results_[group.pages.back()] = Result::kNotWritten;
      return;
  }
  if (inputs && allMade) {
    if (std::optional<PageIdentity> identity = PageIdentity::Of(last.path)) {
      group.entry = RenderCache::Entry{*inputs, *identity};
    }
  }
}

void PageRenderer::Report(size_t index) const {
  const Page& page = pages_[index];
  switch (results_[index]) {
    case Result::kWritten:
    case Result::kSkipped:
      break;
    case Result::kNotOpened:
      if (page.kind == PageKind::kMain) {
        std::printf("Failed to open main file: %s\n", page.path.c_str());
      } else if (page.kind == PageKind::kFront) {
        std::printf("Failed to open front file: %s\n", page.path.c_str());
      }
      break;
    case Result::kNotTransformed:
      std::fputs(page.kind == PageKind::kPlayer
                     ? "Failed to generate detailed HTML for player\n"
                 : page.kind == PageKind::kMain
                     ? "Failed to generate detailed HTML for main\n"
                     : "Failed to generate detailed HTML for frontpage\n",
                 stdout);
      break;
    case Result::kNotWritten:
      std::printf("Failed to write page: %s\n", page.path.c_str());
      break;
  }
}

}  // namespace kilnbook
