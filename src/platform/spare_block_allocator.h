// An allocator for the copies that posted bytes (a board's answers, its
// comments) make for their trip through the message queue. A run has one or
// two of them in flight at a time, each made on one thread and freed on the
// UI thread: a few spare blocks, taken and given back with one atomic
// exchange each, spare the heap's allocation and free for every answer.
// Larger requests, and any beyond the spares, go to the heap.
#pragma once

#include <cstddef>

namespace tvr_spare_blocks {

// What a spare block holds; a request of more bytes goes to the heap.
constexpr std::size_t BLOCK_SIZE = 256;

void* Take(std::size_t size);
void Give(void* block, std::size_t size) noexcept;

}  // namespace tvr_spare_blocks

template <class T>
class CTVRSpareBlockAllocator {
 public:
  using value_type = T;

  CTVRSpareBlockAllocator() noexcept = default;
  template <class U>
  explicit CTVRSpareBlockAllocator(const CTVRSpareBlockAllocator<U>&) noexcept {}

  T* allocate(std::size_t n) { return static_cast<T*>(tvr_spare_blocks::Take(n * sizeof(T))); }
  void deallocate(T* p, std::size_t n) noexcept { tvr_spare_blocks::Give(p, n * sizeof(T)); }

  template <class U>
  bool operator==(const CTVRSpareBlockAllocator<U>&) const noexcept {
    return true;
  }
};
