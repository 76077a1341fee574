#include "store/RowIndex.h"

#include <algorithm>

namespace sorami {

void RowIndex::Reserve(size_t n) {
  const size_t slots = std::max<size_t>(16, n / 3 * 4 + 4);  // at most three quarters full
  if (slots > slots_.size()) Rehash(slots);
}

void RowIndex::Rehash(size_t slots) {
  auto old = std::move(slots_);
  slots_.assign(slots, Slot{0, -1});
  for (const Slot& s : old) {
    if (s.row >= 0) Place(s);
  }
}

void RowIndex::Place(Slot s) {
  size_t i = Home(s.tag);
  while (slots_[i].row >= 0) i = Next(i);
  slots_[i] = s;
}

void RowIndex::AddTag(uint32_t tag, int32_t row) {
  if ((count_ + 1) * 4 > slots_.size() * 3) Rehash(slots_.empty() ? 16 : slots_.size() * 2);
  Place({tag, row});
  ++count_;
}

void RowIndex::Remove(uint64_t hash, int32_t row) {
  if (slots_.empty()) return;
  const uint32_t tag = Tag(hash);
  size_t hole = Home(tag);
  for (;; hole = Next(hole)) {
    if (slots_[hole].row < 0) return;
    if (slots_[hole].tag == tag && slots_[hole].row == row) break;
  }
  // Closes the hole: a later slot of the run moves into it when its home position is not
  // between the hole and itself (so every entry stays reachable from its home).
  for (size_t j = Next(hole); slots_[j].row >= 0; j = Next(j)) {
    const size_t home = Home(slots_[j].tag);
    const bool stays = hole <= j ? (hole < home && home <= j) : (hole < home || home <= j);
    if (stays) continue;
    slots_[hole] = slots_[j];
    hole = j;
  }
  slots_[hole] = Slot{0, -1};
  --count_;
}

void RowIndex::Clear() {
  slots_.clear();
  count_ = 0;
}

}  // namespace sorami
