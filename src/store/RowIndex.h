// The store's duplicate index: rows by a 64-bit hash of their key, in one flat table (open
// addressing, linear probing). A hash may stand for many rows, and rows of different keys may
// share a slot's tag: a look-up hands every candidate to the caller, who compares the rows.
// The table is sized to its rows, not to a power of two: a slot's home is the tag scaled to
// the table's size.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "store/HugePages.h"

namespace sorami {

class RowIndex {
 public:
  // Room for n rows without growing.
  void Reserve(size_t n);
  void Add(uint64_t hash, int32_t row) { AddTag(Tag(hash), row); }
  // The same with the 32-bit tag the table keeps of a hash (Tag), for rows noted before the
  // table was made.
  void AddTag(uint32_t tag, int32_t row);
  static uint32_t Tag(uint64_t hash) { return static_cast<uint32_t>(hash ^ (hash >> 32)); }
  // Takes one (hash, row) entry out; nothing when there is none.
  void Remove(uint64_t hash, int32_t row);
  void Clear();
  size_t size() const { return count_; }

  // Calls found(row) for every row added under hash (and perhaps a few others) until it
  // returns true; true when it did.
  template <typename Found>
  bool Find(uint64_t hash, Found found) const {
    if (slots_.empty()) return false;
    const uint32_t tag = Tag(hash);
    for (size_t i = Home(tag);; i = Next(i)) {
      const Slot& s = slots_[i];
      if (s.row < 0) return false;
      if (s.tag == tag && found(s.row)) return true;
    }
  }

 private:
  struct Slot {
    uint32_t tag;
    int32_t row;  // -1: empty
  };
  size_t Home(uint32_t tag) const {
    return static_cast<size_t>((uint64_t{tag} * slots_.size()) >> 32);
  }
  size_t Next(size_t i) const { return i + 1 == slots_.size() ? 0 : i + 1; }
  void Rehash(size_t slots);
  void Place(Slot s);

  std::vector<Slot, HugeAllocator<Slot>> slots_;
  size_t count_ = 0;
};

}  // namespace sorami
