#include "extra/open_game.h"

#include <utility>

namespace kilnbook {

OpenGame::OpenGame(std::string map, std::optional<int64_t> start)
    : map_(std::move(map)), start_(start), now_(start.value_or(0)) {}

int64_t OpenGame::Length() const {
  return start_ && now_ > *start_ ? now_ - *start_ : 0;
}

void OpenGame::SetTime(int64_t time) {
  if (!start_) {
    start_ = time;
  }
  now_ = time;
}

void OpenGame::Userinfo(int32_t slot, const std::string& name) {
  played_.try_emplace(name, 0);
  auto [it, added] = connected_.try_emplace(slot, Presence{name, now_});
  if (added || it->second.name == name) {
    return;
  }
  Stop(it->second);
  it->second = Presence{name, now_};
}

void OpenGame::Disconnect(int32_t slot) {
  auto it = connected_.find(slot);
  if (it == connected_.end()) {
    return;
  }
  Stop(it->second);
  connected_.erase(it);
}

std::map<std::string, int64_t> OpenGame::Finish() {
  for (const auto& [slot, presence] : connected_) {
    Stop(presence);
  }
  connected_.clear();
  return std::move(played_);
}

void OpenGame::Stop(const Presence& presence) {
  if (now_ > presence.since) {
    played_[presence.name] += now_ - presence.since;
  }
}

}  // namespace kilnbook
