#include "report/page_writer.h"

#include <fcntl.h>
#include <unistd.h>

#include <cstdio>

#include "config/file_names.h"
#include "report/player_xml.h"
#include "report/xsl_transformer.h"
#include "store/fd.h"

namespace kilnbook {

namespace {

enum class PageResult { kWritten, kNotOpened, kNotTransformed };

PageResult WritePage(const std::string& pagePath,
                     const std::string& stylesheetPath,
                     const DocumentBuilder& buildDocument) {
  Fd page(open(pagePath.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC,
               0664));
  if (!page.ok()) {
    return PageResult::kNotOpened;
  }
  std::string html =
      XslTransformer().Transform(buildDocument(), stylesheetPath);
  if (html.empty()) {
    return PageResult::kNotTransformed;
  }
  // A write that fails leaves a short page; the next run rewrites it and
  // there is no message for it.
  WriteAll(page.get(), html);
  return PageResult::kWritten;
}

}  // namespace

void WritePlayerPage(const Player& player,
                     const std::string& playersDirectory) {
  if (!player.MeetsThresholds()) {
    return;
  }
  PageResult result =
      WritePage(playersDirectory + PlayerPageFileName(player.stats().plainName),
                StylesheetPath(player.config().path(), kPlayerStylesheetName),
                [&player] { return PlayerDocumentXml(player); });
  if (result == PageResult::kNotTransformed) {
    std::printf("Failed to generate detailed HTML for player\n");
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
    case PageResult::kWritten:
      break;
  }
}

}  // namespace kilnbook
