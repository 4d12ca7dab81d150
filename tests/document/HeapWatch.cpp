#include "HeapWatch.h"

#include <malloc.h>

#include <atomic>
#include <cstdlib>
#include <new>

namespace {

std::atomic<size_t> live{0}, peak{0}, cap{SIZE_MAX}, largest{0};

void Raise(std::atomic<size_t>& mark, size_t value) {
  size_t seen = mark.load(std::memory_order_relaxed);
  while (value > seen && !mark.compare_exchange_weak(seen, value, std::memory_order_relaxed)) {
  }
}

void* Allocate(size_t size) {
  Raise(largest, size);
  if (size > cap.load(std::memory_order_relaxed)) throw std::bad_alloc();
  void* p = std::malloc(size ? size : 1);
  if (!p) throw std::bad_alloc();
  const size_t usable = malloc_usable_size(p);
  Raise(peak, live.fetch_add(usable, std::memory_order_relaxed) + usable);
  return p;
}

void Release(void* p) noexcept {
  if (!p) return;
  live.fetch_sub(malloc_usable_size(p), std::memory_order_relaxed);
  std::free(p);
}

void* AllocateOrNull(size_t size) noexcept {
  try {
    return Allocate(size);
  } catch (const std::bad_alloc&) {
    return nullptr;
  }
}

}  // namespace

// Every unaligned form is replaced, so that no pair mixes this heap with another.
void* operator new(size_t size) { return Allocate(size); }
void* operator new[](size_t size) { return Allocate(size); }
void* operator new(size_t size, const std::nothrow_t&) noexcept { return AllocateOrNull(size); }
void* operator new[](size_t size, const std::nothrow_t&) noexcept { return AllocateOrNull(size); }
void operator delete(void* p) noexcept { Release(p); }
void operator delete[](void* p) noexcept { Release(p); }
void operator delete(void* p, size_t) noexcept { Release(p); }
void operator delete[](void* p, size_t) noexcept { Release(p); }
void operator delete(void* p, const std::nothrow_t&) noexcept { Release(p); }
void operator delete[](void* p, const std::nothrow_t&) noexcept { Release(p); }

namespace quilmark::test {

HeapWatch::HeapWatch(size_t limit) : base_(live.load()) {
  peak.store(base_);
  largest.store(0);
  cap.store(limit);
}

HeapWatch::~HeapWatch() { cap.store(SIZE_MAX); }

size_t HeapWatch::PeakGrowth() const { return peak.load() - base_; }

size_t HeapWatch::LargestRequest() const { return largest.load(); }

size_t HeapWatch::LiveGrowth() const {
  const size_t now = live.load();
  return now > base_ ? now - base_ : 0;
}

}  // namespace quilmark::test
