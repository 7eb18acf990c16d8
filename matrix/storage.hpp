#pragma once

#include <cstddef>
#include <new>
#include <utility>

namespace lsde {

/// Heap blocks for matrix entries. Blocks of several MiB are aligned to 2 MiB and, on Linux,
/// offered transparent huge pages: the solvers stream whole matrices at every step, and with
/// 4 KiB pages much of that time goes to address translation.
void* allocateBlock(std::size_t bytes);
/// Releases a block from allocateBlock; bytes must be the size it was allocated with.
void releaseBlock(void* block, std::size_t bytes) noexcept;

/// The standard allocator interface over allocateBlock, for std::vector.
template <class T>
struct BlockAllocator {
  using value_type = T;
  BlockAllocator() = default;
  template <class U>
  BlockAllocator(const BlockAllocator<U>&) noexcept {}
  T* allocate(std::size_t count) { return static_cast<T*>(allocateBlock(count * sizeof(T))); }
  void deallocate(T* block, std::size_t count) noexcept { releaseBlock(block, count * sizeof(T)); }
  // Value-initialisation leaves the entries as they are: Matrix writes every one itself, in
  // bands of rows on the worker threads, which then also take the first touch of the pages.
  template <class U>
  void construct(U* p) noexcept {
    ::new (static_cast<void*>(p)) U;
  }
  template <class U, class... Args>
  void construct(U* p, Args&&... args) {
    ::new (static_cast<void*>(p)) U(std::forward<Args>(args)...);
  }
  friend bool operator==(const BlockAllocator&, const BlockAllocator&) { return true; }
};

}  // namespace lsde
