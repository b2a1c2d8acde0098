// The keys of a name-ordered table (players, servers), in its order.
#ifndef KILNBOOK_TESTS_SUPPORT_MAP_KEYS_H_
#define KILNBOOK_TESTS_SUPPORT_MAP_KEYS_H_

#include <string>
#include <vector>

namespace kilnbook {

template <typename Map>
std::vector<std::string> Keys(const Map& map) {
  std::vector<std::string> keys;
  for (const auto& entry : map) {
    keys.push_back(entry.first);
  }
  return keys;
}

}  // namespace kilnbook

#endif  // KILNBOOK_TESTS_SUPPORT_MAP_KEYS_H_
