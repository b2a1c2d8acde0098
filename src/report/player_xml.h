// The detail document of one player: the contract with the installation's
// "kilnbook_player.xsl". Every line, tab and element order is fixed.
#ifndef KILNBOOK_REPORT_PLAYER_XML_H_
#define KILNBOOK_REPORT_PLAYER_XML_H_

#include <string>
#include <string_view>

#include "model/player.h"
#include "report/extra_xml.h"
#include "report/game_fields.h"

namespace kilnbook {

// The display name of a model identifier such as "blueengineer1", or
// "Unknown model"; exact, case-sensitive match.
std::string_view ModelDisplayName(std::string_view model);

// Declaration, root element, the player's weapon catalogue, its
// PlayerDetailXml and the closing root line.
std::string PlayerDocumentXml(const Player& player,
                              const ExtraReport* extra = nullptr);

// The PLAYER block with every tally, or the empty text when the player fails
// its thresholds. With `extra` (EXTENDED_STATS on), PlayerExtraXml without
// DAYSINACTIVE follows STATS, so that the page does not change only because
// a day passed, each TEAMKILL gains the victim's HTMLNAME after its NAME,
// and the player's MAPS block and PlayerGamesXml follow MODELS.
std::string PlayerDetailXml(const Player& player,
                            const ExtraReport* extra = nullptr);

// The opening of a PLAYER block, whatever the thresholds: the PLAYER line,
// the three names and the STATS block. The main document's PLAYER block is
// this plus the closing line.
std::string PlayerHeadXml(const Player& player);

}  // namespace kilnbook

#endif  // KILNBOOK_REPORT_PLAYER_XML_H_
