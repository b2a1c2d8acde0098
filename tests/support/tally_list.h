// A name tally as a plain list, so that tests can state the entries they
// expect, in the order the tally must list them.
#ifndef KILNBOOK_TESTS_SUPPORT_TALLY_LIST_H_
#define KILNBOOK_TESTS_SUPPORT_TALLY_LIST_H_

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "model/name_tally.h"

namespace kilnbook {

using TallyList = std::vector<std::pair<std::string, int32_t>>;

inline TallyList Listed(const NameTally& tally) {
  TallyList list;
  for (const auto& [name, count] : tally) {
    list.emplace_back(name, count);
  }
  return list;
}

}  // namespace kilnbook

#endif  // KILNBOOK_TESTS_SUPPORT_TALLY_LIST_H_
