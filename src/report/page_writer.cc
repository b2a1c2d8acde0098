#include "report/page_writer.h"

#include <cstdio>

#include "config/file_names.h"
#include "report/page_renderer.h"
#include "report/player_xml.h"
#include "report/xsl_transformer.h"

namespace kilnbook {

namespace {

// A stylesheet read at each transformation, for pages made one at a time.
PageStyle StyleOf(const std::string& stylesheetPath) {
  return PageStyle{[stylesheetPath](std::string_view document) {
                     return XslTransformer().Transform(document, stylesheetPath);
                   },
                   std::nullopt};
}

void WriteOne(PageKind kind, const std::string& pagePath,
              const std::string& stylesheetPath,
              const DocumentBuilder& buildDocument) {
  PageStyle style = StyleOf(stylesheetPath);
  PageRenderer renderer(0);
  renderer.Add(kind, pagePath, &style, buildDocument);
  renderer.Run(nullptr);
}

}  // namespace

void WritePlayerPage(const Player& player,
                     const std::string& playersDirectory) {
  if (!player.MeetsThresholds()) {
    return;
  }
  WriteOne(PageKind::kPlayer,
           playersDirectory + PlayerPageFileName(player.stats().plainName),
           StylesheetPath(player.config().path(), kPlayerStylesheetName),
           [&player] { return PlayerDocumentXml(player); });
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
  WriteOne(PageKind::kMain, pagePath, stylesheetPath, buildDocument);
}

void WriteFrontPage(const std::string& pagePath,
                    const std::string& stylesheetPath,
                    const DocumentBuilder& buildDocument) {
  WriteOne(PageKind::kFront, pagePath, stylesheetPath, buildDocument);
}

}  // namespace kilnbook
