#include "extra/slot_names.h"

#include "model/player_table.h"

namespace kilnbook {

SlotNames::SlotNames() { names_.emplace(kWorldSlot, kWorldName); }

void SlotNames::Userinfo(int32_t slot, const std::string& name,
                         const std::string& team) {
  names_[slot] = name;
  if (!name.empty()) {
    teams_[slot] = team;
  }
}

const std::string* SlotNames::Resolve(int32_t slot) const {
  auto it = names_.find(slot);
  if (it == names_.end() || it->second.empty()) {
    return nullptr;
  }
  return &it->second;
}

bool SlotNames::SameTeam(int32_t a, int32_t b) const {
  return TeamOf(a) == TeamOf(b);
}

std::string_view SlotNames::TeamOf(int32_t slot) const {
  auto it = teams_.find(slot);
  return it == teams_.end() ? std::string_view() : it->second;
}

}  // namespace kilnbook
