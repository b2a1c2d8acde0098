#include "model/name_tally.h"

#include <algorithm>

#include "log/number_text.h"

namespace kilnbook {

NameTally::NameTally(
    NamePool& pool,
    std::initializer_list<std::pair<std::string_view, int32_t>> items)
    : pool_(&pool) {
  for (const auto& [name, count] : items) {
    Set(pool.Intern(name), count);
  }
}

std::vector<NameTally::Entry>::iterator NameTally::LowerBound(NameId name) {
  // First by the names' leading bytes alone, without branches on the
  // comparisons (which a search mispredicts half of the time), then, when
  // names share those bytes (a clan tag), by their texts.
  uint64_t prefix = pool_->Prefix(name);
  Entry* base = entries_.data();
  size_t size = entries_.size();
  while (size > 1) {
    size_t half = size / 2;
    base = pool_->Prefix(base[half - 1].name) < prefix ? base + half : base;
    size -= half;
  }
  if (size == 1 && pool_->Prefix(base->name) < prefix) {
    ++base;
  }
  Entry* end = entries_.data() + entries_.size();
  if (base != end && pool_->Prefix(base->name) == prefix &&
      pool_->Less(base->name, name)) {
    base = std::lower_bound(base + 1, end, name,
                            [this](const Entry& entry, NameId key) {
                              return pool_->Less(entry.name, key);
                            });
  }
  return entries_.begin() + (base - entries_.data());
}

size_t NameTally::Increment(NameId name, size_t hint) {
  // An entry the hint missed has mostly moved up by one, when a new name
  // came in before it.
  for (size_t at : {hint, hint + 1}) {
    if (at < entries_.size() && entries_[at].name == name) {
      entries_[at].count = WrapAdd(entries_[at].count, 1);
      return at;
    }
  }
  auto it = LowerBound(name);
  if (it != entries_.end() && it->name == name) {
    it->count = WrapAdd(it->count, 1);
  } else {
    it = entries_.insert(it, Entry{name, 1});
  }
  return static_cast<size_t>(it - entries_.begin());
}

void NameTally::Set(NameId name, int32_t count) {
  if (entries_.empty() || pool_->Less(entries_.back().name, name)) {
    entries_.push_back(Entry{name, count});
    return;
  }
  auto it = LowerBound(name);
  if (it != entries_.end() && it->name == name) {
    it->count = count;
  } else {
    entries_.insert(it, Entry{name, count});
  }
}

NameTally NameTally::InternedIn(NamePool& pool) const {
  NameTally copy(pool);
  copy.Reserve(entries_.size());
  for (const Entry& entry : entries_) {
    copy.entries_.push_back(
        Entry{pool.Intern(pool_->Text(entry.name)), entry.count});
  }
  return copy;
}

bool NameTally::operator==(const NameTally& other) const {
  if (entries_.size() != other.entries_.size()) {
    return false;
  }
  for (size_t i = 0; i < entries_.size(); ++i) {
    if (entries_[i].count != other.entries_[i].count ||
        pool_->Text(entries_[i].name) !=
            other.pool_->Text(other.entries_[i].name)) {
      return false;
    }
  }
  return true;
}

}  // namespace kilnbook
