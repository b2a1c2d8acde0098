#include "model/name_pool.h"

#include <algorithm>
#include <functional>

namespace kilnbook {

namespace {

constexpr size_t kBlockSize = size_t{1} << 20;
constexpr size_t kInitialSlots = 1 << 10;
constexpr uint64_t kTagMask = 0xFFFFFFFF00000000ull;

uint64_t HashOf(std::string_view text) {
  return std::hash<std::string_view>{}(text);
}

uint64_t PrefixOf(std::string_view text) {
  uint64_t prefix = 0;
  for (size_t i = 0; i < 8; ++i) {
    prefix <<= 8;
    if (i < text.size()) {
      prefix |= static_cast<unsigned char>(text[i]);
    }
  }
  return prefix;
}

uint64_t SlotValue(uint64_t hash, NameId id) {
  return (hash & kTagMask) | id | 1;
}

NameId IdOf(uint64_t slot) { return static_cast<NameId>(slot & 0xFFFFFFFEull); }

}  // namespace

NamePool::NamePool() : slots_(kInitialSlots, 0) {
  NameId empty = Store({}, 0);
  uint64_t hash = HashOf({});
  slots_[hash & (slots_.size() - 1)] = SlotValue(hash, empty);
}

NameId NamePool::Intern(std::string_view text) {
  uint64_t hash = HashOf(text);
  size_t mask = slots_.size() - 1;
  for (size_t i = hash & mask;; i = (i + 1) & mask) {
    uint64_t slot = slots_[i];
    if (slot == 0) {
      NameId id = Store(text, PrefixOf(text));
      slots_[i] = SlotValue(hash, id);
      // At most half full, so probe runs stay short.
      if (size_ * 2 > slots_.size()) {
        Grow();
      }
      return id;
    }
    if ((slot & kTagMask) == (hash & kTagMask) && Text(IdOf(slot)) == text) {
      return IdOf(slot);
    }
  }
}

NameId NamePool::Store(std::string_view text, uint64_t prefix) {
  size_t record = (kHeaderSize + text.size() + 3) & ~size_t{3};
  if (blocks_.empty() || capacity_ - used_ < record) {
    // A text longer than a block gets a block of its own.
    capacity_ = std::max(kBlockSize, record);
    blocks_.push_back(std::make_unique_for_overwrite<char[]>(capacity_));
    used_ = 0;
  }
  char* at = blocks_.back().get() + used_;
  uint32_t length = static_cast<uint32_t>(text.size());
  std::memcpy(at, &prefix, sizeof prefix);
  std::memcpy(at + sizeof prefix, &length, sizeof length);
  if (!text.empty()) {  // the empty text may have no bytes at all
    std::memcpy(at + kHeaderSize, text.data(), text.size());
  }
  NameId id =
      static_cast<NameId>(((blocks_.size() - 1) << kOffsetBits) | used_);
  used_ += record;
  ++size_;
  return id;
}

void NamePool::Grow() {
  std::vector<uint64_t> old(slots_.size() * 2, 0);
  old.swap(slots_);
  size_t mask = slots_.size() - 1;
  for (uint64_t slot : old) {
    if (slot == 0) {
      continue;
    }
    uint64_t hash = HashOf(Text(IdOf(slot)));
    size_t i = hash & mask;
    while (slots_[i] != 0) {
      i = (i + 1) & mask;
    }
    slots_[i] = slot;
  }
}

}  // namespace kilnbook
