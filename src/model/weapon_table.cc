#include "model/weapon_table.h"

#include <algorithm>

namespace kilnbook {

namespace {

// Ascending by code; the codes are the game's own and not contiguous.
constexpr WeaponEntry kCatalogue[] = {
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

}  // namespace

std::span<const WeaponEntry> WeaponTable::entries() const { return kCatalogue; }

std::optional<std::string_view> WeaponTable::Text(int32_t code,
                                                  bool fancy) const {
  auto it = std::lower_bound(
      std::begin(kCatalogue), std::end(kCatalogue), code,
      [](const WeaponEntry& entry, int32_t c) { return entry.code < c; });
  if (it == std::end(kCatalogue) || it->code != code) {
    return std::nullopt;
  }
  return fancy ? it->displayName : it->identifier;
}

}  // namespace kilnbook
