// Writing the HTML pages of a run: open the page, build its document,
// transform it, write the result.
#ifndef KILNBOOK_REPORT_PAGE_WRITER_H_
#define KILNBOOK_REPORT_PAGE_WRITER_H_

#include <functional>
#include <string>
#include <string_view>

#include "model/player.h"
#include "model/server.h"
#include "model/server_list.h"

namespace kilnbook {

// Builds a page's document; called only once the page file is open.
using DocumentBuilder = std::function<std::string()>;

// Every page file is opened (created with mode 0664 under the umask, or
// truncated) before its document is built, so a page whose transformation
// fails is left behind as an empty file. Pages are regenerated on every run,
// so they are written in place.

// The player's page in `playersDirectory` (which ends with "/"), named by
// PlayerPageFileName, through PATH + "kilnbook_player.xsl" of the player's
// own Config. No page and no message for a player below its thresholds or a
// file that cannot be opened; "Failed to generate detailed HTML for
// player\n" when the transformation fails.
void WritePlayerPage(const Player& player, const std::string& playersDirectory);

// Prunes the server's players first, so that the main and front pages that
// follow see only the survivors; then one page per player, in name order.
void PlayerPages(Server& server, const std::string& playersDirectory);

// PlayerPages of the server registered under `serverName`, if any.
void PlayerPages(ServerList& servers, std::string_view serverName,
                 const std::string& playersDirectory);

// A main page at `pagePath` from `buildDocument` through `stylesheetPath`.
// Prints "Failed to open main file: %s\n" or "Failed to generate detailed
// HTML for main\n".
void WriteMainPage(const std::string& pagePath,
                   const std::string& stylesheetPath,
                   const DocumentBuilder& buildDocument);

// The front page likewise; "Failed to open front file: %s\n" or "Failed to
// generate detailed HTML for frontpage\n".
void WriteFrontPage(const std::string& pagePath,
                    const std::string& stylesheetPath,
                    const DocumentBuilder& buildDocument);

}  // namespace kilnbook

#endif  // KILNBOOK_REPORT_PAGE_WRITER_H_
