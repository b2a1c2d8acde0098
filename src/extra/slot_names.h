// Client slots bound to player names and team identifiers for one run, by
// the player table's rules, so that the extended statistics book every
// event on the player the counters book it on.
#ifndef KILNBOOK_EXTRA_SLOT_NAMES_H_
#define KILNBOOK_EXTRA_SLOT_NAMES_H_

#include <cstdint>
#include <string>
#include <string_view>
#include <unordered_map>

namespace kilnbook {

class SlotNames {
 public:
  // Only the world slot is bound, to "world_entity".
  SlotNames();

  // A userinfo event: `slot` is bound to `name`, whatever it was bound to;
  // the slot's team becomes `team` unless `name` is empty (such a slot
  // resolves to no one, so the player table leaves its team alone).
  void Userinfo(int32_t slot, const std::string& name, const std::string& team);

  // The key name bound to `slot`, or null when the slot is unbound or bound
  // to the empty name.
  const std::string* Resolve(int32_t slot) const;

  // True when both slots have the same team identifier; a slot without one
  // has the empty identifier.
  bool SameTeam(int32_t a, int32_t b) const;

 private:
  std::string_view TeamOf(int32_t slot) const;

  std::unordered_map<int32_t, std::string> names_;
  std::unordered_map<int32_t, std::string> teams_;
};

}  // namespace kilnbook

#endif  // KILNBOOK_EXTRA_SLOT_NAMES_H_
