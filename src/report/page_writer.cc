#include "report/page_writer.h"

#include <fcntl.h>
#include <unistd.h>

#include <cstdio>

#include "config/file_names.h"
#include "report/player_xml.h"
#include "report/xsl_transformer.h"
#include "store/atomic_file.h"
#include "store/fd.h"

namespace kilnbook {

namespace {

enum class PageResult { kWritten, kNotOpened, kNotTransformed, kNotWritten };

// Replaces the page with `html`: a new file beside it renamed over it, so
// that a failed write (a full disk) leaves the previous page whole. When the
// directory takes no new file but the page itself is writable, the page is
// written in place.
bool ReplacePage(int page, const std::string& pagePath,
                 const std::string& html) {
  AtomicFile file(pagePath, AtomicFile::Durability::kUnsynced);
  if (file.Open()) {
    return file.Write(html) && file.Commit();
  }
  return ::ftruncate(page, 0) == 0 && WriteAll(page, html);
}

PageResult WritePage(const std::string& pagePath,
                     const std::string& stylesheetPath,
                     const DocumentBuilder& buildDocument) {
  // Opened (and created) first, as a page that cannot be written is skipped
  // before any work is spent on it.
  Fd page(open(pagePath.c_str(), O_WRONLY | O_CREAT | O_CLOEXEC, 0664));
  if (!page.ok()) {
    return PageResult::kNotOpened;
  }
  std::string html =
      XslTransformer().Transform(buildDocument(), stylesheetPath);
  if (html.empty()) {
    // A failed transformation leaves an empty page.
    ::ftruncate(page.get(), 0);
    return PageResult::kNotTransformed;
  }
  return ReplacePage(page.get(), pagePath, html) ? PageResult::kWritten
                                                 : PageResult::kNotWritten;
}

void ReportNotWritten(const std::string& pagePath) {
  std::printf("Failed to write page: %s\n", pagePath.c_str());
}

}  // namespace

void WritePlayerPage(const Player& player,
                     const std::string& playersDirectory) {
  if (!player.MeetsThresholds()) {
    return;
  }
  std::string pagePath =
      playersDirectory + PlayerPageFileName(player.stats().plainName);
  PageResult result =
      WritePage(pagePath,
                StylesheetPath(player.config().path(), kPlayerStylesheetName),
                [&player] { return PlayerDocumentXml(player); });
  if (result == PageResult::kNotTransformed) {
    std::printf("Failed to generate detailed HTML for player\n");
  } else if (result == PageResult::kNotWritten) {
    ReportNotWritten(pagePath);
  }
}

void PlayerPages(Server& server, const std::string& playersDirectory) {
  server.PrunePlayers();
  for (const auto& [name, player] : server.playerTable().players()) {
    WritePlayerPage(*player, playersDirectory);
  }
}

void PlayerPages(ServerList& servers, std::string_view serverName,
                 const std::string& playersDirectory) {
  Server* server = servers.Find(serverName);
  if (server != nullptr) {
    PlayerPages(*server, playersDirectory);
  }
}

void WriteMainPage(const std::string& pagePath,
                   const std::string& stylesheetPath,
                   const DocumentBuilder& buildDocument) {
  switch (WritePage(pagePath, stylesheetPath, buildDocument)) {
    case PageResult::kNotOpened:
      std::printf("Failed to open main file: %s\n", pagePath.c_str());
      break;
    case PageResult::kNotTransformed:
      std::printf("Failed to generate detailed HTML for main\n");
      break;
    case PageResult::kNotWritten:
      ReportNotWritten(pagePath);
      break;
    case PageResult::kWritten:
      break;
  }
}

void WriteFrontPage(const std::string& pagePath,
                    const std::string& stylesheetPath,
                    const DocumentBuilder& buildDocument) {
  switch (WritePage(pagePath, stylesheetPath, buildDocument)) {
    case PageResult::kNotOpened:
      std::printf("Failed to open front file: %s\n", pagePath.c_str());
      break;
    case PageResult::kNotTransformed:
      std::printf("Failed to generate detailed HTML for frontpage\n");
      break;
    case PageResult::kNotWritten:
      ReportNotWritten(pagePath);
      break;
    case PageResult::kWritten:
      break;
  }
}

}  // namespace kilnbook
