#include "model/code_tally.h"

#include <algorithm>

#include "log/number_text.h"

namespace kilnbook {

namespace {

bool CodeLess(const CodeTally::Entry& entry, int32_t code) {
  return entry.code < code;
}

// std::lower_bound without branches on the comparisons: the codes of a
// player's kills come in no predictable order, and a mispredicted branch
// costs more than a step of the search.
std::vector<CodeTally::Entry>::iterator LowerBound(
    std::vector<CodeTally::Entry>& entries, int32_t code) {
  CodeTally::Entry* base = entries.data();
  size_t size = entries.size();
  while (size > 1) {
    size_t half = size / 2;
    base = base[half - 1].code < code ? base + half : base;
    size -= half;
  }
  if (size == 1 && base->code < code) {
    ++base;
  }
  return entries.begin() + (base - entries.data());
}

}  // namespace

CodeTally::CodeTally(std::initializer_list<Entry> entries) {
  for (const Entry& entry : entries) {
    Set(entry.code, entry.count);
  }
}

void CodeTally::Increment(int32_t code) {
  auto it = LowerBound(entries_, code);
  if (it != entries_.end() && it->code == code) {
    it->count = WrapAdd(it->count, 1);
  } else {
    entries_.insert(it, Entry{code, 1});
  }
}

void CodeTally::Set(int32_t code, int32_t count) {
  if (entries_.empty() || entries_.back().code < code) {
    entries_.push_back(Entry{code, count});
    return;
  }
  auto it = std::lower_bound(entries_.begin(), entries_.end(), code, CodeLess);
  if (it != entries_.end() && it->code == code) {
    it->count = count;
  } else {
    entries_.insert(it, Entry{code, count});
  }
}

}  // namespace kilnbook
