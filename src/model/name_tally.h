// A count per name (victims, killers, teams, models), listed in byte-wise
// order of the names.
#ifndef KILNBOOK_MODEL_NAME_TALLY_H_
#define KILNBOOK_MODEL_NAME_TALLY_H_

#include <cstddef>
#include <cstdint>
#include <initializer_list>
#include <string_view>
#include <utility>
#include <vector>

#include "model/name_pool.h"

namespace kilnbook {

// The entries are a sorted array of (interned name, count), eight bytes each,
// instead of one tree node and one string per entry: a data file of tens of
// thousands of players holds millions of them. Names compare as unsigned
// bytes, a proper prefix first (std::string_view's order).
class NameTally {
 public:
  struct Entry {
    NameId name;
    int32_t count;
  };

  // What iteration gives: the name's text and its count.
  struct Item {
    std::string_view name;
    int32_t count;
  };

  class Iterator {
   public:
    Iterator(const NamePool* pool, const Entry* entry)
        : pool_(pool), entry_(entry) {}
    Item operator*() const {
      return {pool_->Text(entry_->name), entry_->count};
    }
    Iterator& operator++() {
      ++entry_;
      return *this;
    }
    bool operator==(const Iterator& other) const {
      return entry_ == other.entry_;
    }

   private:
    const NamePool* pool_;
    const Entry* entry_;
  };

  // An empty tally without a pool: it can be read, compared and assigned,
  // but gets entries only once it has a pool.
  NameTally() = default;

  // An empty tally whose names are numbers of `pool`, which is borrowed and
  // must outlive the tally.
  explicit NameTally(const NamePool& pool) : pool_(&pool) {}

  // A tally of `items`, their names interned in `pool`; a later item of
  // the same name replaces an earlier one.
  NameTally(NamePool& pool,
            std::initializer_list<std::pair<std::string_view, int32_t>> items);

  const NamePool* pool() const { return pool_; }
  bool empty() const { return entries_.empty(); }
  size_t size() const { return entries_.size(); }
  Iterator begin() const { return {pool_, entries_.data()}; }
  Iterator end() const { return {pool_, entries_.data() + entries_.size()}; }
  const std::vector<Entry>& entries() const { return entries_; }

  // Adds one to the count of `name` (wrapping at 32 bits); a new name gets
  // an entry with count 1. `name` is a number of this tally's pool.
  void Increment(NameId name) { Increment(name, kNoHint); }

  // The same, for a caller that remembers where the entry stood: `hint` is
  // tried first, and the entry's position comes back for the next time.
  static constexpr size_t kNoHint = static_cast<size_t>(-1);
  size_t Increment(NameId name, size_t hint);

  // Sets the count of `name`, replacing the entry it has. Names that come in
  // ascending order are appended without a search.
  void Set(NameId name, int32_t count);

  // Room for `count` entries in all, so that a known number of Set calls
  // allocates once.
  void Reserve(size_t count) { entries_.reserve(count); }

  // The same tally with the names interned in `pool`.
  NameTally InternedIn(NamePool& pool) const;

  // Equal names (by text) with equal counts, in the same order; the pools
  // may differ.
  bool operator==(const NameTally& other) const;

 private:
  // The first entry whose name is not less than `name`.
  std::vector<Entry>::iterator LowerBound(NameId name);

  const NamePool* pool_ = nullptr;
  std::vector<Entry> entries_;
};

}  // namespace kilnbook

#endif  // KILNBOOK_MODEL_NAME_TALLY_H_
