// A count per means-of-death code, listed in ascending (signed) code order.
#ifndef KILNBOOK_MODEL_CODE_TALLY_H_
#define KILNBOOK_MODEL_CODE_TALLY_H_

#include <cstddef>
#include <cstdint>
#include <initializer_list>
#include <vector>

namespace kilnbook {

// A sorted array of (code, count): a player uses a few dozen codes at most,
// so a search is a handful of comparisons and an entry costs eight bytes.
class CodeTally {
 public:
  struct Entry {
    int32_t code;
    int32_t count;
    bool operator==(const Entry&) const = default;
  };

  CodeTally() = default;

  // A tally of `entries`, in any order; a later entry of the same code
  // replaces an earlier one.
  CodeTally(std::initializer_list<Entry> entries);

  bool empty() const { return entries_.empty(); }
  size_t size() const { return entries_.size(); }
  std::vector<Entry>::const_iterator begin() const { return entries_.begin(); }
  std::vector<Entry>::const_iterator end() const { return entries_.end(); }

  // Adds one to the count of `code` (wrapping at 32 bits); a new code gets
  // an entry with count 1.
  void Increment(int32_t code);

  // Sets the count of `code`, replacing the entry it has. Codes that come in
  // ascending order are appended without a search.
  void Set(int32_t code, int32_t count);

  void Reserve(size_t count) { entries_.reserve(count); }

  bool operator==(const CodeTally&) const = default;

 private:
  std::vector<Entry> entries_;
};

}  // namespace kilnbook

#endif  // KILNBOOK_MODEL_CODE_TALLY_H_
