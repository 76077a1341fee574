#include "store/RowIndex.h"

namespace sorami {

void RowIndex::Reserve(size_t n) {
  size_t slots = 16;
  while (slots * 3 < n * 4) slots *= 2;  // at most three quarters full
  if (slots > slots_.size()) Rehash(slots);
}

void RowIndex::Rehash(size_t slots) {
  auto old = std::move(slots_);
  slots_.assign(slots, Slot{0, -1});
  mask_ = slots - 1;
  for (const Slot& s : old) {
    if (s.row >= 0) Place(s);
  }
}

void RowIndex::Place(Slot s) {
  size_t i = s.tag & mask_;
  while (slots_[i].row >= 0) i = (i + 1) & mask_;
  slots_[i] = s;
}

void RowIndex::Add(uint64_t hash, int32_t row) {
  if ((count_ + 1) * 4 > slots_.size() * 3) Rehash(slots_.empty() ? 16 : slots_.size() * 2);
  Place({Tag(hash), row});
  ++count_;
}

void RowIndex::Remove(uint64_t hash, int32_t row) {
  if (slots_.empty()) return;
  const uint32_t tag = Tag(hash);
  size_t hole = tag & mask_;
  for (;; hole = (hole + 1) & mask_) {
    if (slots_[hole].row < 0) return;
    if (slots_[hole].tag == tag && slots_[hole].row == row) break;
  }
  // Closes the hole: a later slot of the run moves into it when its home position is not
  // between the hole and itself (so every entry stays reachable from its home).
  for (size_t j = (hole + 1) & mask_; slots_[j].row >= 0; j = (j + 1) & mask_) {
    const size_t home = slots_[j].tag & mask_;
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
  mask_ = 0;
  count_ = 0;
}

}  // namespace sorami
