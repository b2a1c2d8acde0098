#include "model/name_pool.h"

#include <algorithm>
#include <cstring>
#include <functional>

namespace kilnbook {

namespace {

constexpr size_t kBlockSize = 1 << 16;
constexpr size_t kInitialSlots = 1 << 10;

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
  return (hash & 0xFFFFFFFF00000000ull) | (static_cast<uint64_t>(id) + 1);
}

}  // namespace

NamePool::NamePool() : slots_(kInitialSlots, 0) {
  texts_.emplace_back();
  prefixes_.push_back(0);
  uint64_t hash = HashOf({});
  slots_[hash & (slots_.size() - 1)] = SlotValue(hash, kEmpty);
}

NameId NamePool::Intern(std::string_view text) {
  uint64_t hash = HashOf(text);
  uint64_t tag = hash & 0xFFFFFFFF00000000ull;
  size_t mask = slots_.size() - 1;
  for (size_t i = hash & mask;; i = (i + 1) & mask) {
    uint64_t slot = slots_[i];
    if (slot == 0) {
      NameId id = static_cast<NameId>(texts_.size());
      texts_.push_back(Store(text));
      prefixes_.push_back(PrefixOf(text));
      slots_[i] = SlotValue(hash, id);
      // At most half full, so probe runs stay short.
      if (texts_.size() * 2 > slots_.size()) {
        Grow();
      }
      return id;
    }
    if ((slot & 0xFFFFFFFF00000000ull) == tag) {
      NameId id = static_cast<NameId>((slot & 0xFFFFFFFFull) - 1);
      if (texts_[id] == text) {
        return id;
      }
    }
  }
}

std::string_view NamePool::Store(std::string_view text) {
  if (text.empty()) {
    return {};
  }
  if (text.size() > freeSize_) {
    // A text longer than a block gets a block of its own.
    size_t size = std::max(kBlockSize, text.size());
    blocks_.push_back(std::make_unique<char[]>(size));
    free_ = blocks_.back().get();
    freeSize_ = size;
  }
  std::memcpy(free_, text.data(), text.size());
  std::string_view stored(free_, text.size());
  free_ += text.size();
  freeSize_ -= text.size();
  return stored;
}

void NamePool::Grow() {
  slots_.assign(slots_.size() * 2, 0);
  size_t mask = slots_.size() - 1;
  for (NameId id = 0; id < texts_.size(); ++id) {
    uint64_t hash = HashOf(texts_[id]);
    size_t i = hash & mask;
    while (slots_[i] != 0) {
      i = (i + 1) & mask;
    }
    slots_[i] = SlotValue(hash, id);
  }
}

}  // namespace kilnbook
