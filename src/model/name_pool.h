// Interned texts: every distinct name a server's tallies use is stored once
// and referred to by a small number.
#ifndef KILNBOOK_MODEL_NAME_POOL_H_
#define KILNBOOK_MODEL_NAME_POOL_H_

#include <cstddef>
#include <cstdint>
#include <cstring>
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
  std::string_view Text(NameId id) const {
    const char* record = RecordOf(id);
    uint32_t length;
    std::memcpy(&length, record + sizeof(uint64_t), sizeof length);
    return {record + kHeaderSize, length};
  }

  // The first eight bytes of the text of `id` as a big-endian number,
  // zero-padded: when those of two texts differ, they order the texts.
  uint64_t Prefix(NameId id) const {
    uint64_t prefix;
    std::memcpy(&prefix, RecordOf(id), sizeof prefix);
    return prefix;
  }

  // True when the text of `a` sorts before that of `b`: byte-wise as
  // unsigned bytes, a proper prefix first (std::string_view's order).
  bool Less(NameId a, NameId b) const {
    uint64_t prefixA = Prefix(a);
    uint64_t prefixB = Prefix(b);
    if (prefixA != prefixB) {
      return prefixA < prefixB;
    }
    return Text(a) < Text(b);
  }

  // Distinct texts held, the empty one included.
  size_t size() const { return size_; }

 private:
  // A text is stored as its Prefix(), its length (32 bits) and its bytes,
  // four-byte aligned, in blocks that never move; its number is the block
  // index above kOffsetBits and its offset in the block below. Prefix and
  // text share a cache line, and a pool of tens of thousands of names
  // needs no second array to find them.
  static constexpr size_t kHeaderSize = sizeof(uint64_t) + sizeof(uint32_t);
  static constexpr unsigned kOffsetBits = 20;

  const char* RecordOf(NameId id) const {
    return blocks_[id >> kOffsetBits].get() +
           (id & ((NameId{1} << kOffsetBits) - 1));
  }
  NameId Store(std::string_view text, uint64_t prefix);
  void Grow();

  // Open addressing with linear probing: each slot holds the upper half of
  // the text's hash and the text's number with its lowest bit set (records
  // are aligned, so that bit is free; 0 marks an empty slot). Most probes
  // that do not match never read a text.
  std::vector<uint64_t> slots_;
  std::vector<std::unique_ptr<char[]>> blocks_;
  size_t used_ = 0;      // bytes used in the last block
  size_t capacity_ = 0;  // size of the last block
  size_t size_ = 0;
};

}  // namespace kilnbook

#endif  // KILNBOOK_MODEL_NAME_POOL_H_
