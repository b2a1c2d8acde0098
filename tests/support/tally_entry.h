// One tally entry as the data file stores it: the key, the byte 0x60, the
// count and the byte 0xB4.
#ifndef KILNBOOK_TESTS_SUPPORT_TALLY_ENTRY_H_
#define KILNBOOK_TESTS_SUPPORT_TALLY_ENTRY_H_

#include <string>

namespace kilnbook {

inline const std::string kGrave = "\x60";
inline const std::string kAcute = "\xB4";

inline std::string Entry(const std::string& key, const std::string& count) {
  return key + kGrave + count + kAcute;
}

}  // namespace kilnbook

#endif  // KILNBOOK_TESTS_SUPPORT_TALLY_ENTRY_H_
