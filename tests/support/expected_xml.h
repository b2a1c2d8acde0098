// Expected pieces of the report documents, written once so that the unit
// and end-to-end tests compare whole documents without each spelling out
// the same blocks again.
#ifndef KILNBOOK_TESTS_SUPPORT_EXPECTED_XML_H_
#define KILNBOOK_TESTS_SUPPORT_EXPECTED_XML_H_

#include <initializer_list>
#include <string>

#include "model/weapon_table.h"
#include "report/weapon_xml.h"

namespace kilnbook {

inline constexpr const char kDocumentHead[] =
    "<?xml version=\"1.0\"?>\n<KILNBOOKS>\n";

// The weapons section is checked byte for byte on its own; elsewhere it is
// only a part of a larger document.
inline std::string WeaponsSection() {
  return WeaponsOpenXml() + WeaponExistingXml(WeaponTable()) +
         WeaponsCloseXml();
}

inline std::string InfoAndRulesXml(
    const std::string& icq, const std::string& nick, const std::string& mail,
    const std::string& address, const std::string& name,
    const std::string& lastRun, const std::string& minScore,
    const std::string& minKills) {
  return "\t<INFO>\n\t\t<ADMIN_ICQ>" + icq + "</ADMIN_ICQ>\n\t\t<ADMIN_NICK>" +
         nick + "</ADMIN_NICK>\n\t\t<ADMIN_MAIL>" + mail +
         "</ADMIN_MAIL>\n\t\t<SERVER_ADDRESS>" + address +
         "</SERVER_ADDRESS>\n\t\t<SERVER_NAME>" + name +
         "</SERVER_NAME>\n"
         "\t\t<HOMEPAGE>https://kilnbook.example.org/</HOMEPAGE>\n"
         "\t\t<VERSION>0.7.0 (Linux)</VERSION>\n\t\t<LAST_RUN>" +
         lastRun + "</LAST_RUN>\n\t</INFO>\n\t<RULES>\n\t\t<RULE_MINSCORE>" +
         minScore + "</RULE_MINSCORE>\n\t\t<RULE_MINKILLS>" + minKills +
         "</RULE_MINKILLS>\n\t</RULES>\n";
}

// Values in document order: REDSCORE, BLUESCORE, REDWIN, BLUEWIN,
// CLIENTCONNECT, GAMESHUTDOWN, GAMEEXIT, GAMEINIT, KILLS, TEAMKILLS, PING,
// TOTALPLAYERS.
inline std::string CounterLinesXml(std::initializer_list<const char*> values) {
  static constexpr const char* kTags[] = {
      "REDSCORE",      "BLUESCORE",    "REDWIN",   "BLUEWIN",
      "CLIENTCONNECT", "GAMESHUTDOWN", "GAMEEXIT", "GAMEINIT",
      "KILLS",         "TEAMKILLS",    "PING",     "TOTALPLAYERS"};
  std::string lines;
  size_t i = 0;
  for (const char* value : values) {
    lines +=
        std::string("\t\t<") + kTags[i] + ">" + value + "</" + kTags[i] + ">\n";
    ++i;
  }
  return lines;
}

// A player's opening and STATS block, up to where the detail blocks or the
// closing tag follow. Values in order: KILLS, DEATHS, TEAMKILLS, SUICIDES,
// PING, SCORE, RATE, RATIO.
inline std::string PlayerStatsXml(const std::string& name,
                                  const std::string& plainName,
                                  const std::string& htmlName,
                                  std::initializer_list<const char*> values) {
  static constexpr const char* kTags[] = {"KILLS",    "DEATHS", "TEAMKILLS",
                                          "SUICIDES", "PING",   "SCORE",
                                          "RATE",     "RATIO"};
  std::string xml = "<PLAYER>\n\t<NAME>" + name + "</NAME>\n\t<PLAINNAME>" +
                    plainName + "</PLAINNAME>\n\t<HTMLNAME>" + htmlName +
                    "</HTMLNAME>\n\t<STATS>\n";
  size_t i = 0;
  for (const char* value : values) {
    xml +=
        std::string("\t\t<") + kTags[i] + ">" + value + "</" + kTags[i] + ">\n";
    ++i;
  }
  return xml + "\t</STATS>\n";
}

// The detail blocks of a player with no tallies, and the closing tag.
inline constexpr const char kEmptyDetailBlocks[] =
    "\t<TARGETS>\n\t</TARGETS>\n\t<KILLERS>\n\t</KILLERS>\n"
    "\t<TEAMKILLS>\n\t</TEAMKILLS>\n\t<KILLWEAPONS>\n\t</KILLWEAPONS>\n"
    "\t<DEATHWEAPONS>\n\t</DEATHWEAPONS>\n"
    "\t<SUICIDEWEAPONS>\n\t</SUICIDEWEAPONS>\n"
    "\t<TEAMS>\n\t</TEAMS>\n\t<MODELS>\n\t</MODELS>\n</PLAYER>\n";

}  // namespace kilnbook

#endif  // KILNBOOK_TESTS_SUPPORT_EXPECTED_XML_H_
