#include "report/page_renderer.h"

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <map>
#include <thread>

#include "report/page_file.h"

namespace kilnbook {

std::shared_ptr<const PageStyle> PageStyle::Of(
    std::shared_ptr<const Stylesheet> stylesheet) {
  auto style = std::make_shared<PageStyle>();
  style->inputs = stylesheet->inputs();
  style->compiled = stylesheet->IsCompiled();
  style->transform = [compiled =
                          std::move(stylesheet)](std::string_view document) {
    return compiled->Transform(document);
  };
  return style;
}

PageRenderer::PageRenderer(size_t threads) : threads_(threads) {}

void PageRenderer::Add(PageKind kind, std::string path,
                       std::shared_ptr<const PageStyle> style,
                       std::function<std::string()> document,
                       std::string cacheName) {
  pages_.push_back({kind, std::move(path), std::move(style),
                    std::move(document), std::move(cacheName)});
}

void PageRenderer::Run(RenderCache* cache) {
  if (threads_ == kInOrder) {
    RunInOrder();
    return;
  }
  results_.assign(pages_.size(), Result::kWritten);
  GroupByFile();
  RenderOnThreads(cache);
  for (size_t i = 0; i < pages_.size(); ++i) {
    Report(i);
  }
  if (cache != nullptr) {
    // Only this run's pages: one renamed or no longer listed is forgotten.
    RenderCache made;
    for (const Group& group : groups_) {
      if (group.entry) {
        made.Set(pages_[group.pages.back()].cacheName, *group.entry);
      }
    }
    *cache = std::move(made);
  }
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

void PageRenderer::GroupByFile() {
  groups_.clear();
  std::map<std::string_view, size_t> groupOf;
  for (size_t i = 0; i < pages_.size(); ++i) {
    auto [it, added] = groupOf.try_emplace(pages_[i].path, groups_.size());
    if (added) {
      groups_.emplace_back();
    }
    groups_[it->second].pages.push_back(i);
  }
}

void PageRenderer::RenderOnThreads(const RenderCache* cache) {
  if (threads_ == 1 || groups_.size() == 1) {
    for (Group& group : groups_) {
      Render(group, cache);
    }
    return;
  }
  // Each thread takes the next page not yet taken. A pool library was
  // tried (Boost.Asio); its fences are invisible to ThreadSanitizer.
  // The long pages (main pages list every player) go first, so that the
  // short ones fill the threads' idle ends.
  std::vector<Group*> order;
  order.reserve(groups_.size());
  for (bool players : {false, true}) {
    for (Group& group : groups_) {
      PageKind kind = pages_[group.pages.front()].kind;
      if ((kind == PageKind::kPlayer || kind == PageKind::kGame) == players) {
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
  PageFile file(last.path);
  // Made one after the other, a page is opened (and created) before its
  // document is built, as building may print. Otherwise it is opened only
  // once it is known to need making.
  const bool inOrder = threads_ == kInOrder;
  if (inOrder && !file.Open(PageFile::Creation::kAtOpen)) {
    Mark(group, Result::kNotOpened);
    return;
  }
  std::vector<std::string> documents;
  documents.reserve(group.pages.size());
  for (size_t index : group.pages) {
    documents.push_back(pages_[index].document());
  }
  std::optional<Digest> key = CacheKey(group, documents, cache);
  if (key) {
    if (const RenderCache::Entry* entry =
            cache->FindCurrent(last.cacheName, *key, last.path)) {
      Mark(group, Result::kSkipped);
      group.entry = *entry;
      return;
    }
  }
  if (!inOrder && !file.Open(PageFile::Creation::kByRename)) {
    Mark(group, Result::kNotOpened);
    return;
  }
  std::string html = Transform(group, documents);
  switch (file.Replace(html)) {
    case PageFile::Outcome::kWritten:
      // A page some of whose documents failed is made anew next time.
      if (key && !html.empty() &&
          std::all_of(group.pages.begin(), group.pages.end(), [&](size_t i) {
            return results_[i] == Result::kWritten;
          })) {
        group.entry = RenderCache::EntryOf(*key, last.path);
      }
      break;
    case PageFile::Outcome::kNotOpened:
      Mark(group, Result::kNotOpened);
      break;
    case PageFile::Outcome::kNotWritten:
      // An empty page after a failed transformation says so already.
      if (!html.empty()) {
        results_[group.pages.back()] = Result::kNotWritten;
      }
      break;
  }
}

std::optional<Digest> PageRenderer::CacheKey(
    const Group& group, const std::vector<std::string>& documents,
    const RenderCache* cache) const {
  const std::string& name = pages_[group.pages.back()].cacheName;
  if (cache == nullptr || name.empty()) {
    return std::nullopt;
  }
  RenderCache::Key key;
  for (size_t i = 0; i < group.pages.size(); ++i) {
    const Page& page = pages_[group.pages[i]];
    if (page.cacheName != name || !page.style->inputs) {
      return std::nullopt;
    }
    key.Add(*page.style->inputs, documents[i]);
  }
  return key.digest();
}

// Each page of the group, for its message; the last one's page is the one
// that is written.
std::string PageRenderer::Transform(const Group& group,
                                    const std::vector<std::string>& documents) {
  std::string html;
  for (size_t i = 0; i < group.pages.size(); ++i) {
    html = pages_[group.pages[i]].style->transform(documents[i]);
    if (html.empty()) {
      results_[group.pages[i]] = Result::kNotTransformed;
    }
  }
  return html;
}

void PageRenderer::Mark(const Group& group, Result result) {
  for (size_t index : group.pages) {
    results_[index] = result;
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
      } else if (page.kind == PageKind::kGame) {
        std::printf("Failed to open game file: %s\n", page.path.c_str());
      }
      break;
    case Result::kNotTransformed:
      std::fputs(page.kind == PageKind::kPlayer
                     ? "Failed to generate detailed HTML for player\n"
                 : page.kind == PageKind::kMain
                     ? "Failed to generate detailed HTML for main\n"
                 : page.kind == PageKind::kGame
                     ? "Failed to generate detailed HTML for game\n"
                     : "Failed to generate detailed HTML for frontpage\n",
                 stdout);
      break;
    case Result::kNotWritten:
      std::printf("Failed to write page: %s\n", page.path.c_str());
      break;
  }
}

}  // namespace kilnbook
