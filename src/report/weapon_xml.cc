#include "report/weapon_xml.h"

#include "log/number_text.h"

namespace kilnbook {

std::string WeaponsOpenXml() { return "<WEAPONS>\n"; }

std::string WeaponsCloseXml() { return "</WEAPONS>\n"; }

std::string WeaponExistingXml(const WeaponTable& table) {
  std::string out = "\t<WEAPON_EXISTING>\n";
  for (const WeaponEntry& entry : table.entries()) {
    out += "\t\t<WEAPON ID=\"";
    AppendNumber(out, entry.code);
    out += "\">\n";
    if (!entry.identifier.empty()) {
      out += "\t\t\t<NAME>";
      out += entry.identifier;
      out += "</NAME>\n";
    }
    if (!entry.displayName.empty()) {
      out += "\t\t\t<FANCYNAME>";
      out += entry.displayName;
      out += "</FANCYNAME>\n";
    }
    out += "\t\t</WEAPON>\n";
  }
  out += "\t</WEAPON_EXISTING>\n";
  return out;
}

}  // namespace kilnbook
