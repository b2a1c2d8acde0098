// The means-of-death catalogue: code to game identifier and display name.
#ifndef KILNBOOK_MODEL_WEAPON_TABLE_H_
#define KILNBOOK_MODEL_WEAPON_TABLE_H_

#include <cstdint>
#include <optional>
#include <span>
#include <string_view>

namespace kilnbook {

struct WeaponEntry {
  int32_t code;
  std::string_view identifier;   // the game's name, "MOD_..."
  std::string_view displayName;  // the name shown on the pages
};

// Every WeaponTable is a full catalogue of its own, but all of them read one
// constant table: the catalogue never changes, and a copy per player would
// cost memory and time with tens of thousands of players.
class WeaponTable {
 public:
  WeaponTable() = default;

  // The catalogue in ascending code order.
  std::span<const WeaponEntry> entries() const;

  // The display name (`fancy` true) or the identifier (`fancy` false) of
  // `code`, or nothing when the code has no entry.
  std::optional<std::string_view> Text(int32_t code, bool fancy) const;
};

}  // namespace kilnbook

#endif  // KILNBOOK_MODEL_WEAPON_TABLE_H_
