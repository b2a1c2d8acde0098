#include "model/weapon_table.h"

#include <gtest/gtest.h>

#include <string_view>
#include <vector>

namespace kilnbook {
namespace {

struct Expected {
  int32_t code;
  std::string_view identifier;
  std::string_view displayName;
};

// The game's own numbering, gaps included, in the order pages list it.
constexpr Expected kCatalogue[] = {
    {0, "MOD_UNKNOWN", "Unknown weapon"},
    {3, "MOD_MACHINEGUN", "Machinegun"},
    {4, "MOD_GRENADE", "Grenade"},
    {5, "MOD_GRENADE_SPLASH", "Grenade splash"},
    {6, "MOD_ROCKET", "Rocket"},
    {7, "MOD_ROCKET_SPLASH", "Rocket splash"},
    {12, "MOD_KNIFE", "Knife"},
    {14, "MOD_KNIFE_STEALTH", "Knife stealth"},
    {15, "MOD_LUGER", "Luger"},
    {16, "MOD_COLT", "Colt"},
    {17, "MOD_MP40", "MP40"},
    {18, "MOD_THOMPSON", "Thompson"},
    {19, "MOD_STEN", "Sten"},
    {20, "MOD_MAUSER", "Mauser"},
    {21, "MOD_SNIPERRIFLE", "Sniperrifle"},
    {32, "MOD_VENOM", "Venom"},
    {34, "MOD_FLAMETHROWER", "Flamethrower"},
    {40, "MOD_MORTAR", "Mortar"},
    {41, "MOD_MORTAR_SPLASH", "Mortar splash"},
    {45, "MOD_SLIME", "Slime"},
    {46, "MOD_LAVA", "Lava"},
    {54, "MOD_EXPLOSIVE", "Explosive"},
    {55, "MOD_POISONGAS", "Poison gas"},
    {56, "MOD_ZOMBIESPIT", "Zombie spit"},
    {58, "MOD_ZOMBIESPIRIT", "Zombie spirit"},
};

TEST(WeaponTableTest, IteratesTheWholeCatalogueInCodeOrder) {
  WeaponTable table;
  auto entries = table.entries();
  ASSERT_EQ(entries.size(), std::size(kCatalogue));
  for (size_t i = 0; i < entries.size(); ++i) {
    EXPECT_EQ(entries[i].code, kCatalogue[i].code) << "entry " << i;
    EXPECT_EQ(entries[i].identifier, kCatalogue[i].identifier)
        << "code " << kCatalogue[i].code;
    EXPECT_EQ(entries[i].displayName, kCatalogue[i].displayName)
        << "code " << kCatalogue[i].code;
  }
}

TEST(WeaponTableTest, TextSelectsDisplayNameOrIdentifier) {
  WeaponTable table;
  for (const Expected& e : kCatalogue) {
    EXPECT_EQ(table.Text(e.code, true), e.displayName) << "code " << e.code;
    EXPECT_EQ(table.Text(e.code, false), e.identifier) << "code " << e.code;
  }
}

TEST(WeaponTableTest, CodesWithoutEntryHaveNoText) {
  WeaponTable table;
  for (int32_t code :
       {-1022, -1, 1, 2, 9, 13, 33, 57, 59, 1022, INT32_MAX, INT32_MIN}) {
    EXPECT_FALSE(table.Text(code, true).has_value()) << "code " << code;
    EXPECT_FALSE(table.Text(code, false).has_value()) << "code " << code;
  }
  // Asking never extends the catalogue.
  EXPECT_EQ(table.entries().size(), 25u);
}

TEST(WeaponTableTest, EveryTableIsAnEqualCatalogue) {
  WeaponTable first;
  WeaponTable second;
  auto a = first.entries();
  auto b = second.entries();
  ASSERT_EQ(a.size(), b.size());
  for (size_t i = 0; i < a.size(); ++i) {
    EXPECT_EQ(a[i].code, b[i].code);
    EXPECT_EQ(a[i].identifier, b[i].identifier);
    EXPECT_EQ(a[i].displayName, b[i].displayName);
  }
}

}  // namespace
}  // namespace kilnbook
