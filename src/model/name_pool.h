// Interned texts: every distinct name a server's tallies use is stored once
// and referred to by a small number.
#ifndef KILNBOOK_MODEL_NAME_POOL_H_
#define KILNBOOK_MODEL_NAME_POOL_H_

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string_view>
#include <vector>

namespace kilnbook {

// The number of an interned text; valid for the pool that gave it.
using NameId = uint32_t;

// The tallies of tens of thousands of players name the same few thousand
// players again and again; keeping each text once keeps a tally entry at
// eight bytes and makes equal names equal numbers. Texts are never removed:
// a pool lives as long as the players that use it.
class NamePool {
 public:
  // The empty text, present in every pool.
  static constexpr NameId kEmpty = 0;

  NamePool();

  // Tallies keep a pointer to their pool: it must not move.
  NamePool(const NamePool&) = delete;
  NamePool& operator=(const NamePool&) = delete;

  // The number of `text`, adding it when it is new. Works on bytes.
  NameId Intern(std::string_view text);

  // The text of `id`; stays valid as long as the pool.
  std::string_view Text(NameId id) const { return texts_[id]; }

  // The first eight bytes of the text of `id` as a big-endian number,
  // zero-padded: when those of two texts differ, they order the texts.
  uint64_t Prefix(NameId id) const { return prefixes_[id]; }

  // True when the text of `a` sorts before that of `b`: byte-wise as
  // unsigned bytes, a proper prefix first (std::string_view's order).
  bool Less(NameId a, NameId b) const {
    if (prefixes_[a] != prefixes_[b]) {
      return prefixes_[a] < prefixes_[b];
    }
    return texts_[a] < texts_[b];
  }

  // Distinct texts held, the empty one included.
  size_t size() const { return texts_.size(); }

 private:
  std::string_view Store(std::string_view text);
  void Grow();

  // Open addressing with linear probing: each slot holds the upper half of
  // the text's hash and its id + 1 (0 for an empty slot), so most probes
  // that do not match never touch the text.
  std::vector<uint64_t> slots_;
  std::vector<std::string_view> texts_;
  // Prefix() of each text: most comparisons of a search through a sorted
  // tally never read the texts themselves.
  std::vector<uint64_t> prefixes_;
  // The bytes of the texts, in blocks that never move.
  std::vector<std::unique_ptr<char[]>> blocks_;
  char* free_ = nullptr;
  size_t freeSize_ = 0;
};

}  // namespace kilnbook

#endif  // KILNBOOK_MODEL_NAME_POOL_H_
