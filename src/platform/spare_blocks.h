// Blocks for the copies that posted bytes (a board's answers, its comments)
// make for their trip through the message queue. A run has one or two of them
// in flight at a time. Spares are kept so that the heap's allocation and free
// are not paid for every answer:
// - one per thread, with no atomic: a board that answers on the UI thread
//   (the simulated reader without latency) takes back the block that thread
//   gave back after the last answer;
// - a few shared ones, taken and given back with one atomic exchange each: a
//   board thread's copies are freed on the UI thread.
// Larger requests, and any beyond the spares, go to the heap.
#pragma once

#include <cstddef>

namespace tvr_spare_blocks {

// What a spare block holds; a request of more bytes goes to the heap.
constexpr std::size_t BLOCK_SIZE = 256;

// A block of at least `size` bytes, given back with the function that
// GiveFor(size) names.
void* Take(std::size_t size);
using GiveFunction = void (*)(void* block) noexcept;
GiveFunction GiveFor(std::size_t size);

}  // namespace tvr_spare_blocks
