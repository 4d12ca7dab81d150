#include "document/PixelArena.h"

#include <sys/mman.h>

#include <algorithm>
#include <cstring>
#include <new>

#if defined(__SANITIZE_ADDRESS__)
#define QUILMARK_ASAN 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define QUILMARK_ASAN 1
#endif
#endif
#if defined(QUILMARK_ASAN)
#include <sanitizer/asan_interface.h>
#endif

namespace quilmark {

namespace {

constexpr size_t kHugePage = size_t{2} << 20;
// Stretches start on cache lines.
constexpr size_t kAlignment = 64;
// Blocks of this size and more start on a huge page.
constexpr size_t kAlignFrom = 4 * kHugePage;

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
  // limits and accounting see pixels too. A large block starts on a huge
  // page, so that none of it is left to small pages; the room skipped for
  // that is never touched.
  const size_t skip = size >= kAlignFrom ? kHugePage : 0;
  if (size > SIZE_MAX - skip) return false;
  uint8_t* bytes = new (std::nothrow) uint8_t[size + skip];
  if (!bytes) return false;
  try {
    block_ = std::shared_ptr<uint8_t>(bytes, BlockRelease{size + skip});
  } catch (const std::bad_alloc&) {
    return false;  // the block was released by the failed constructor
  }
  const auto begin = reinterpret_cast<uintptr_t>(bytes);
  base_ = skip ? reinterpret_cast<uint8_t*>(RoundUp(begin, kHugePage)) : bytes;
  capacity_ = size;
  used_ = 0;
  // Huge pages where whole ones fit; the system may decline.
  const uintptr_t first = RoundUp(begin, kHugePage), last = RoundDown(begin + size + skip, kHugePage);
  if (last > first) ::madvise(reinterpret_cast<void*>(first), last - first, MADV_HUGEPAGE);
#if defined(QUILMARK_ASAN)
  std::memset(bytes, kUnsetByte, size + skip);
#endif
  Forbid(bytes, size + skip);
  return true;
}

bool PixelArena::Take(size_t size, size_t block_size, FramePixels& into) {
  size_t at = RoundUp(used_, kAlignment);
  if (!block_ || at > capacity_ || capacity_ - at < size) {
    if (!NewBlock(std::max(size, block_size)) && (block_size <= size || !NewBlock(size))) return false;
    at = 0;
  }
  uint8_t* stretch = base_ + at;
  Allow(stretch, size);
  // Shares the block's ownership; nothing is allocated.
  into = FramePixels(std::shared_ptr<uint8_t>(block_, stretch), size);
  used_ = at + size;
  taken_ += size;
  return true;
}

}  // namespace quilmark
