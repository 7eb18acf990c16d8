#include "matrix/storage.hpp"

#include <cstdlib>
#include <limits>
#include <new>

#if defined(__linux__)
#include <sys/mman.h>
#endif

namespace lsde {

namespace {

constexpr std::size_t kHugePage = std::size_t{2} << 20;
// Smaller blocks are not worth the rounding up to whole huge pages.
constexpr std::size_t kLargeBlock = 2 * kHugePage;

bool isLarge(std::size_t bytes) {
  return bytes >= kLargeBlock;
}

}  // namespace

void* allocateBlock(std::size_t bytes) {
  if (!isLarge(bytes)) return ::operator new(bytes);
  if (bytes > std::numeric_limits<std::size_t>::max() - kHugePage) throw std::bad_alloc();
  const std::size_t rounded = (bytes + kHugePage - 1) / kHugePage * kHugePage;
  void* block = std::aligned_alloc(kHugePage, rounded);
  if (block == nullptr) throw std::bad_alloc();
#if defined(__linux__) && defined(MADV_HUGEPAGE)
  madvise(block, rounded, MADV_HUGEPAGE);  // only advice: without it the pages stay small
#endif
  return block;
}

void releaseBlock(void* block, std::size_t bytes) noexcept {
  if (!isLarge(bytes)) return ::operator delete(block);
  std::free(block);
}

}  // namespace lsde
