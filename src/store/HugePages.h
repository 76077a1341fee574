// Memory for the store's large tables (rows, duplicate index, record text). A piece of 2 MiB
// or more is laid on huge pages where the system offers them: filling a large store then
// costs a page fault per 2 MiB instead of one per 4 KiB. A piece of some size below that has
// its pages made present at once, in one call, instead of a fault at each first write: the
// tables are filled whole right after, and on a virtual machine a fault costs many times its
// share of that call.
#pragma once

#include <sys/mman.h>

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <new>

namespace sorami {

inline constexpr size_t kHugePage = size_t{2} << 20;
inline constexpr size_t kPrefaultFrom = size_t{64} << 10;

// Makes the whole pages of [p, p + n) present and writable; a system without the call
// leaves them to fault in as they are written.
inline void Prefault(void* p, size_t n) {
#ifdef MADV_POPULATE_WRITE
  constexpr uintptr_t kPage = 4096;
  const uintptr_t from = (reinterpret_cast<uintptr_t>(p) + kPage - 1) & ~(kPage - 1);
  const uintptr_t to = (reinterpret_cast<uintptr_t>(p) + n) & ~(kPage - 1);
  if (to > from) ::madvise(reinterpret_cast<void*>(from), to - from, MADV_POPULATE_WRITE);
#else
  (void)p;
  (void)n;
#endif
}

// n bytes, huge-page aligned when n is at least a huge page; freed with std::free.
inline void* HugeAlloc(size_t n) {
  if (n < kHugePage) {
    void* p = std::malloc(n);
    if (p != nullptr && n >= kPrefaultFrom) Prefault(p, n);
    return p;
  }
  if (n > PTRDIFF_MAX - kHugePage) return nullptr;
  const size_t whole = (n + kHugePage - 1) / kHugePage * kHugePage;
  void* p = std::aligned_alloc(kHugePage, whole);
#ifdef MADV_HUGEPAGE
  if (p != nullptr) ::madvise(p, whole, MADV_HUGEPAGE);
#endif
  return p;
}

// A standard allocator over HugeAlloc, for the store's vectors.
template <typename T>
struct HugeAllocator {
  using value_type = T;
  HugeAllocator() = default;
  template <typename U>
  HugeAllocator(const HugeAllocator<U>&) noexcept {}  // NOLINT: converting, as allocators are
  T* allocate(size_t n) {
    if (void* p = HugeAlloc(n * sizeof(T))) return static_cast<T*>(p);
    throw std::bad_alloc();
  }
  void deallocate(T* p, size_t) noexcept { std::free(p); }
  template <typename U>
  bool operator==(const HugeAllocator<U>&) const noexcept {
    return true;
  }
};

}  // namespace sorami
