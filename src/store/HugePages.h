// Memory for the store's large tables (rows, duplicate index, record text). A piece of 2 MiB
// or more is laid on huge pages where the system offers them: filling a large store then
// costs a page fault per 2 MiB instead of one per 4 KiB.
#pragma once

#include <sys/mman.h>

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <new>

namespace sorami {

inline constexpr size_t kHugePage = size_t{2} << 20;

// n bytes, huge-page aligned when n is at least a huge page; freed with std::free.
inline void* HugeAlloc(size_t n) {
  if (n < kHugePage) return std::malloc(n);
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
