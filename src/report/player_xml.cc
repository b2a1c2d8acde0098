#include "report/player_xml.h"

#include <cstdint>
#include <optional>

#include "log/text_clean.h"
#include "report/weapon_xml.h"
#include "report/xml_text.h"

namespace kilnbook {

namespace {

struct DisplayName {
  std::string_view identifier;
  std::string_view display;
};

constexpr DisplayName kModels[] = {
    {"blueengineer1", "Blue Engineer (Allies)"},
    {"redengineer1", "Red Engineer (Axis)"},
    {"bluesoldier1", "Blue Soldier (Allies)"},
    {"redsoldier1", "Red Soldier (Axis)"},
    {"bluelieutenant1", "Blue Lieutenant (Allies)"},
    {"redlieutenant1", "Red Lieutenant (Axis)"},
    {"bluemedic1", "Blue Medic (Allies)"},
    {"redmedic1", "Red Medic (Axis)"},
};

// The display name of a key: the key itself for name tallies.
using NameOf = std::string_view (*)(std::string_view);

std::string_view SameName(std::string_view key) { return key; }

// A block of four-line items, one per entry in key order:
// <item>, <NAME>, <TIMES>, </item>.
// With `markup` (the tally of key names, EXTENDED_STATS on) each item also
// has the name's HTMLNAME after its NAME.
void AppendNameTally(std::string& out, std::string_view block,
                     std::string_view item, const NameTally& tally,
                     NameOf nameOf, bool markup = false) {
  AppendTagLine(out, 1, "", block);
  for (const auto& [key, times] : tally) {
    AppendTagLine(out, 2, "", item);
    AppendElement(out, 3, "NAME", nameOf(key));
    if (markup) {
      AppendElement(out, 3, "HTMLNAME", ColorizeName(key, NameMode::kMarkup));
    }
    AppendElement(out, 3, "TIMES", times);
    AppendTagLine(out, 2, "/", item);
  }
  AppendTagLine(out, 1, "/", block);
}

// Every code gets its own WEAPONS wrapper; the stylesheet looks the code up
// in the document's WEAPON_EXISTING section.
void AppendWeaponTally(std::string& out, std::string_view block,
                       const CodeTally& tally) {
  AppendTagLine(out, 1, "", block);
  for (const auto& [code, times] : tally) {
    AppendLine(out, 2, "<WEAPONS>");
    AppendElement(out, 3, "WEAPON", code);
    AppendElement(out, 3, "TIMES", times);
    AppendLine(out, 2, "</WEAPONS>");
  }
  AppendTagLine(out, 1, "/", block);
}

}  // namespace

std::string_view ModelDisplayName(std::string_view model) {
  for (const DisplayName& entry : kModels) {
    if (entry.identifier == model) {
      return entry.display;
    }
  }
  return "Unknown model";
}

namespace {

// The builders write into one text rather than joining returned pieces.
void AppendPlayerHead(std::string& out, const Player& player) {
  const PlayerStats& s = player.stats();
  // Both computed before any line is written.
  int32_t rate = player.RateValue();
  int32_t ratio = player.RatioValue();
  out += "<PLAYER>\n";
  AppendElement(out, 1, "NAME", player.name());
  AppendElement(out, 1, "PLAINNAME", s.plainName);
  AppendElement(out, 1, "HTMLNAME", s.htmlName);
  AppendLine(out, 1, "<STATS>");
  AppendElement(out, 2, "KILLS", s.kills);
  AppendElement(out, 2, "DEATHS", s.deaths);
  AppendElement(out, 2, "TEAMKILLS", s.teamKills);
  AppendElement(out, 2, "SUICIDES", s.suicides);
  AppendElement(out, 2, "PING", s.ping);
  AppendElement(out, 2, "SCORE", s.score);
  AppendElement(out, 2, "RATE", rate);
  AppendElement(out, 2, "RATIO", ratio);
  AppendLine(out, 1, "</STATS>");
}

void AppendPlayerDetail(std::string& out, const Player& player,
                        const ExtraReport* extra) {
  if (!player.MeetsThresholds()) {
    return;
  }
  const PlayerStats& s = player.stats();
  AppendPlayerHead(out, player);
  std::optional<PlayerActivity> activity;
  if (extra != nullptr) {
    activity.emplace(ActivityOf(extra->stats, player.name(), extra->now));
    out += PlayerExtraXml(*activity, DaysInactive::kLeftOut);
  }
  AppendNameTally(out, "TARGETS", "TARGET", s.targets, SameName);
  AppendNameTally(out, "KILLERS", "KILLER", s.killers, SameName);
  AppendNameTally(out, "TEAMKILLS", "TEAMKILL", s.teamKillVictims, SameName,
                  extra != nullptr);
  AppendWeaponTally(out, "KILLWEAPONS", s.killWeapons);
  AppendWeaponTally(out, "DEATHWEAPONS", s.deathWeapons);
  AppendWeaponTally(out, "SUICIDEWEAPONS", s.suicideWeapons);
  AppendNameTally(out, "TEAMS", "TEAM", s.teams, TeamDisplayName);
  AppendNameTally(out, "MODELS", "MODEL", s.models, ModelDisplayName);
  if (activity) {
    out += PlayerMapsXml(*activity);
    out += PlayerGamesXml(extra->stats.games(), player.name());
  }
  out += "</PLAYER>\n";
}

}  // namespace

std::string PlayerDocumentXml(const Player& player, const ExtraReport* extra) {
  std::string out = "<?xml version=\"1.0\"?>\n<KILNBOOKS>\n";
  out += WeaponsOpenXml();
  out += WeaponExistingXml(player.weapons());
  out += WeaponsCloseXml();
  AppendPlayerDetail(out, player, extra);
  out += "</KILNBOOKS>\n";
  return out;
}

std::string PlayerHeadXml(const Player& player) {
  std::string out;
  AppendPlayerHead(out, player);
  return out;
}

std::string PlayerDetailXml(const Player& player, const ExtraReport* extra) {
  std::string out;
  AppendPlayerDetail(out, player, extra);
  return out;
}

}  // namespace kilnbook
