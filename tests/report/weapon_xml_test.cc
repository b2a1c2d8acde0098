#include "report/weapon_xml.h"

#include <gtest/gtest.h>

#include <string>

#include "model/weapon_table.h"

namespace kilnbook {
namespace {

TEST(WeaponXmlTest, WholeWeaponsSectionByteForByte) {
  WeaponTable table;
  std::string section =
      WeaponsOpenXml() + WeaponExistingXml(table) + WeaponsCloseXml();
  EXPECT_EQ(section, R"(<WEAPONS>
	<WEAPON_EXISTING>
		<WEAPON ID="0">
			<NAME>MOD_UNKNOWN</NAME>
			<FANCYNAME>Unknown weapon</FANCYNAME>
		</WEAPON>
		<WEAPON ID="3">
			<NAME>MOD_MACHINEGUN</NAME>
			<FANCYNAME>Machinegun</FANCYNAME>
		</WEAPON>
		<WEAPON ID="4">
			<NAME>MOD_GRENADE</NAME>
			<FANCYNAME>Grenade</FANCYNAME>
		</WEAPON>
		<WEAPON ID="5">
			<NAME>MOD_GRENADE_SPLASH</NAME>
			<FANCYNAME>Grenade splash</FANCYNAME>
		</WEAPON>
		<WEAPON ID="6">
			<NAME>MOD_ROCKET</NAME>
			<FANCYNAME>Rocket</FANCYNAME>
		</WEAPON>
		<WEAPON ID="7">
			<NAME>MOD_ROCKET_SPLASH</NAME>
			<FANCYNAME>Rocket splash</FANCYNAME>
		</WEAPON>
		<WEAPON ID="12">
			<NAME>MOD_KNIFE</NAME>
			<FANCYNAME>Knife</FANCYNAME>
		</WEAPON>
		<WEAPON ID="14">
			<NAME>MOD_KNIFE_STEALTH</NAME>
			<FANCYNAME>Knife stealth</FANCYNAME>
		</WEAPON>
		<WEAPON ID="15">
			<NAME>MOD_LUGER</NAME>
			<FANCYNAME>Luger</FANCYNAME>
		</WEAPON>
		<WEAPON ID="16">
			<NAME>MOD_COLT</NAME>
			<FANCYNAME>Colt</FANCYNAME>
		</WEAPON>
		<WEAPON ID="17">
			<NAME>MOD_MP40</NAME>
			<FANCYNAME>MP40</FANCYNAME>
		</WEAPON>
		<WEAPON ID="18">
			<NAME>MOD_THOMPSON</NAME>
			<FANCYNAME>Thompson</FANCYNAME>
		</WEAPON>
		<WEAPON ID="19">
			<NAME>MOD_STEN</NAME>
			<FANCYNAME>Sten</FANCYNAME>
		</WEAPON>
		<WEAPON ID="20">
			<NAME>MOD_MAUSER</NAME>
			<FANCYNAME>Mauser</FANCYNAME>
		</WEAPON>
		<WEAPON ID="21">
			<NAME>MOD_SNIPERRIFLE</NAME>
			<FANCYNAME>Sniperrifle</FANCYNAME>
		</WEAPON>
		<WEAPON ID="32">
			<NAME>MOD_VENOM</NAME>
			<FANCYNAME>Venom</FANCYNAME>
		</WEAPON>
		<WEAPON ID="34">
			<NAME>MOD_FLAMETHROWER</NAME>
			<FANCYNAME>Flamethrower</FANCYNAME>
		</WEAPON>
		<WEAPON ID="40">
			<NAME>MOD_MORTAR</NAME>
			<FANCYNAME>Mortar</FANCYNAME>
		</WEAPON>
		<WEAPON ID="41">
			<NAME>MOD_MORTAR_SPLASH</NAME>
			<FANCYNAME>Mortar splash</FANCYNAME>
		</WEAPON>
		<WEAPON ID="45">
			<NAME>MOD_SLIME</NAME>
			<FANCYNAME>Slime</FANCYNAME>
		</WEAPON>
		<WEAPON ID="46">
			<NAME>MOD_LAVA</NAME>
			<FANCYNAME>Lava</FANCYNAME>
		</WEAPON>
		<WEAPON ID="54">
			<NAME>MOD_EXPLOSIVE</NAME>
			<FANCYNAME>Explosive</FANCYNAME>
		</WEAPON>
		<WEAPON ID="55">
			<NAME>MOD_POISONGAS</NAME>
			<FANCYNAME>Poison gas</FANCYNAME>
		</WEAPON>
		<WEAPON ID="56">
			<NAME>MOD_ZOMBIESPIT</NAME>
			<FANCYNAME>Zombie spit</FANCYNAME>
		</WEAPON>
		<WEAPON ID="58">
			<NAME>MOD_ZOMBIESPIRIT</NAME>
			<FANCYNAME>Zombie spirit</FANCYNAME>
		</WEAPON>
	</WEAPON_EXISTING>
</WEAPONS>
)");
}

TEST(WeaponXmlTest, OpeningAndClosingLinesStandInColumnZero) {
  EXPECT_EQ(WeaponsOpenXml(), "<WEAPONS>\n");
  EXPECT_EQ(WeaponsCloseXml(), "</WEAPONS>\n");
}

TEST(WeaponXmlTest, TwoTablesGiveTheSameSection) {
  WeaponTable first;
  WeaponTable second;
  EXPECT_EQ(WeaponExistingXml(first), WeaponExistingXml(second));
}

}  // namespace
}  // namespace kilnbook
