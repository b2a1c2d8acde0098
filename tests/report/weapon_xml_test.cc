#include "report/weapon_xml.h"

#include <gtest/gtest.h>

#include <string>

#include "model/weapon_table.h"

namespace kilnbook {
namespace {

// The game's own numbering, gaps included, in the order pages list it.
constexpr const char* kCatalogue[][3] = {
    {"0", "MOD_UNKNOWN", "Unknown weapon"},
    {"3", "MOD_MACHINEGUN", "Machinegun"},
    {"4", "MOD_GRENADE", "Grenade"},
    {"5", "MOD_GRENADE_SPLASH", "Grenade splash"},
    {"6", "MOD_ROCKET", "Rocket"},
    {"7", "MOD_ROCKET_SPLASH", "Rocket splash"},
    {"12", "MOD_KNIFE", "Knife"},
    {"14", "MOD_KNIFE_STEALTH", "Knife stealth"},
    {"15", "MOD_LUGER", "Luger"},
    {"16", "MOD_COLT", "Colt"},
    {"17", "MOD_MP40", "MP40"},
    {"18", "MOD_THOMPSON", "Thompson"},
    {"19", "MOD_STEN", "Sten"},
    {"20", "MOD_MAUSER", "Mauser"},
    {"21", "MOD_SNIPERRIFLE", "Sniperrifle"},
    {"32", "MOD_VENOM", "Venom"},
    {"34", "MOD_FLAMETHROWER", "Flamethrower"},
    {"40", "MOD_MORTAR", "Mortar"},
    {"41", "MOD_MORTAR_SPLASH", "Mortar splash"},
    {"45", "MOD_SLIME", "Slime"},
    {"46", "MOD_LAVA", "Lava"},
    {"54", "MOD_EXPLOSIVE", "Explosive"},
    {"55", "MOD_POISONGAS", "Poison gas"},
    {"56", "MOD_ZOMBIESPIT", "Zombie spit"},
    {"58", "MOD_ZOMBIESPIRIT", "Zombie spirit"},
};

TEST(WeaponXmlTest, WholeWeaponsSectionByteForByte) {
  std::string expected = "<WEAPONS>\n\t<WEAPON_EXISTING>\n";
  for (const auto& [id, name, fancyName] : kCatalogue) {
    expected += std::string("\t\t<WEAPON ID=\"") + id + "\">\n\t\t\t<NAME>" +
                name + "</NAME>\n\t\t\t<FANCYNAME>" + fancyName +
                "</FANCYNAME>\n\t\t</WEAPON>\n";
  }
  expected += "\t</WEAPON_EXISTING>\n</WEAPONS>\n";
  WeaponTable table;
  EXPECT_EQ(WeaponsOpenXml() + WeaponExistingXml(table) + WeaponsCloseXml(),
            expected);
}

}  // namespace
}  // namespace kilnbook
