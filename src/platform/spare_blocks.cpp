#include "platform/spare_blocks.h"

#include <atomic>
#include <new>

namespace {

// Blocks left here at exit stay reachable, so no leak checker counts them.
constexpr std::size_t kSpareCount = 4;
std::atomic<void*> g_spares[kSpareCount];

// The thread's own spare; a thread that ends gives it back to the heap. In
// the static block of thread-local storage (the library is loaded with the
// program), reached without a call.
struct CThreadSpare {
  void* m_pBlock = nullptr;
  ~CThreadSpare() { ::operator delete(m_pBlock); }
};
thread_local CThreadSpare t_spare;

void GiveBlock(void* block) noexcept {
  if (t_spare.m_pBlock == nullptr) {
    t_spare.m_pBlock = block;
    return;
  }
  for (std::atomic<void*>& spare : g_spares) {
    void* empty = nullptr;
    if (spare.compare_exchange_strong(empty, block, std::memory_order_release, std::memory_order_relaxed)) return;
  }
  ::operator delete(block);
}

void GiveLarge(void* block) noexcept {
  ::operator delete(block);
}

}  // namespace

namespace tvr_spare_blocks {

GiveFunction GiveFor(std::size_t size) {
  return size <= BLOCK_SIZE ? &GiveBlock : &GiveLarge;
}

void* Take(std::size_t size) {
  if (size > BLOCK_SIZE) return ::operator new(size);
  if (void* block = t_spare.m_pBlock) {
    t_spare.m_pBlock = nullptr;
    return block;
  }
  for (std::atomic<void*>& spare : g_spares) {
    if (spare.load(std::memory_order_relaxed) == nullptr) continue;
    // Exchanged, not read: of two threads that saw the same block, one gets it.
    if (void* block = spare.exchange(nullptr, std::memory_order_acquire)) return block;
  }
  return ::operator new(BLOCK_SIZE);
}

}  // namespace tvr_spare_blocks
