#include "document/PixelArena.h"

#include <sys/mman.h>

#include <algorithm>
#include <cstring>
#include <new>

#if defined(__SANITIZE_ADDRESS__)
#include <sanitizer/asan_interface.h>
#define QUILMARK_ASAN 1
#endif

namespace quilmark {

namespace {

constexpr size_t kHugePage = size_t{2} << 20;
constexpr size_t kPage = 4096;
// Stretches start on cache lines.
constexpr size_t kAlignment = 64;

uintptr_t RoundDown(uintptr_t value, size_t to) { return value & ~(uintptr_t{to} - 1); }
uintptr_t RoundUp(uintptr_t value, size_t to) { return RoundDown(value + to - 1, to); }

// Under the address sanitizer a block's bytes outside the stretches handed
// out may not be touched, so that a frame reaching past its own pixels is
// caught as it would be with a buffer of its own; and a fresh block holds a
// byte no image is made of, so that pixels a load forgets to set show.
#if defined(QUILMARK_ASAN)
constexpr uint8_t kUnsetByte = 0xBE;
void Forbid(const uint8_t* at, size_t size) { ASAN_POISON_MEMORY_REGION(at, size); }
void Allow(const uint8_t* at, size_t size) { ASAN_UNPOISON_MEMORY_REGION(at, size); }
#else
void Forbid(const uint8_t*, size_t) {}
void Allow(const uint8_t*, size_t) {}
#endif

struct BlockRelease {
  size_t size;
  void operator()(uint8_t* block) const {
    Allow(block, size);
    delete[] block;
  }
};

}  // namespace

bool PixelArena::NewBlock(size_t size) {
  // Had through operator new, like every other buffer, so that the heap's
  // limits and accounting see pixels too.
  uint8_t* bytes = new (std::nothrow) uint8_t[size];
  if (!bytes) return false;
  try {
    block_ = std::shared_ptr<uint8_t>(bytes, BlockRelease{size});
  } catch (const std::bad_alloc&) {
    return false;  // the block was released by the failed constructor
  }
  capacity_ = size;
  used_ = 0;
  ready_ = 0;
  // Huge pages where whole ones fit; the system may decline.
  const auto begin = reinterpret_cast<uintptr_t>(bytes);
  const uintptr_t first = RoundUp(begin, kHugePage), last = RoundDown(begin + size, kHugePage);
  if (last > first) ::madvise(reinterpret_cast<void*>(first), last - first, MADV_HUGEPAGE);
#if defined(QUILMARK_ASAN)
  std::memset(bytes, kUnsetByte, size);
#endif
  Forbid(bytes, size);
  return true;
}

// The pages up to offset end (and on to the end of its huge page) are made
// writable in one call rather than by a fault each. Memory that was in use
// before keeps its bytes; a system without the call faults them in as usual.
void PixelArena::Prepare(size_t end) {
  if (end <= ready_) return;
  const auto begin = reinterpret_cast<uintptr_t>(block_.get());
  const uintptr_t from = RoundDown(begin + ready_, kPage);
  const uintptr_t to = std::min(RoundUp(begin + end, kHugePage), RoundDown(begin + capacity_, kPage));
  if (to > from) ::madvise(reinterpret_cast<void*>(from), to - from, MADV_POPULATE_WRITE);
  ready_ = std::max(end, static_cast<size_t>(to - begin));
}

bool PixelArena::Take(size_t size, size_t block_size, FramePixels& into) {
  size_t at = RoundUp(used_, kAlignment);
  if (!block_ || at > capacity_ || capacity_ - at < size) {
    if (!NewBlock(std::max(size, block_size)) && (block_size <= size || !NewBlock(size))) return false;
    at = 0;
  }
  uint8_t* stretch = block_.get() + at;
  Prepare(at + size);
  Allow(stretch, size);
  // Shares the block's ownership; nothing is allocated.
  into = FramePixels(std::shared_ptr<uint8_t>(block_, stretch), size);
  used_ = at + size;
  taken_ += size;
  return true;
}

}  // namespace quilmark
