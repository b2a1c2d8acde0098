// The weapon catalogue section that every XML document carries.
#ifndef KILNBOOK_REPORT_WEAPON_XML_H_
#define KILNBOOK_REPORT_WEAPON_XML_H_

#include <string>

#include "model/weapon_table.h"

namespace kilnbook {

// "<WEAPONS>\n"
std::string WeaponsOpenXml();

// The WEAPON_EXISTING section: one WEAPON element per code of `table`, in
// ascending order, with its NAME (identifier) and FANCYNAME (display name).
std::string WeaponExistingXml(const WeaponTable& table);

// "</WEAPONS>\n"
std::string WeaponsCloseXml();

}  // namespace kilnbook

#endif  // KILNBOOK_REPORT_WEAPON_XML_H_
