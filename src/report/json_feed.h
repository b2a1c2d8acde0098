// The JSON feed of one server, "kilnbook.json" in the server directory, for
// bots and sites that read the statistics instead of the pages. Its shape
// is described by docs/kilnbook-feed.schema.json; the text is valid JSON
// (UTF-8) whatever bytes the names hold.
#ifndef KILNBOOK_REPORT_JSON_FEED_H_
#define KILNBOOK_REPORT_JSON_FEED_H_

#include <cstddef>
#include <ctime>
#include <string>
#include <string_view>

#include "extra/extra_stats.h"
#include "model/server.h"

namespace kilnbook {

// Raised whenever a field changes meaning or goes away; new fields may be
// added without it.
inline constexpr int kFeedSchemaVersion = 1;

// The latest kept games the feed carries.
inline constexpr size_t kFeedGames = 20;

// A name as the feed carries it. Names are stored cleaned, with "&amp;" and
// "&quot;" for the ampersand and the double quote: the two are decoded. The
// bytes are then read as UTF-8 where they form valid UTF-8 and as Latin-1
// where they do not, so the result is always valid UTF-8. Control bytes stay
// (the JSON writer escapes them).
std::string FeedName(std::string_view cleaned);

// The feed of `server` at `now`: its counters, its maps and the days of
// history `stats` keeps, and every player of its table that meets the
// thresholds (the table is pruned before the feed is built, as before the
// pages) with all counters, tallies, maps, activity, rating and bests; then
// the latest kFeedGames kept games with their players' lines, and the
// server's records.
std::string FeedJson(const Server& server, const ExtraStats& stats,
                     std::time_t now);

}  // namespace kilnbook

#endif  // KILNBOOK_REPORT_JSON_FEED_H_
