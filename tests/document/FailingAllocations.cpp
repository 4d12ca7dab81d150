#include "FailingAllocations.h"

#include <cstdint>
#include <cstdlib>
#include <new>

namespace {
thread_local size_t fail_from = SIZE_MAX;

void* Allocate(size_t size) {
  if (size >= fail_from) throw std::bad_alloc();
  if (void* p = std::malloc(size ? size : 1)) return p;
  throw std::bad_alloc();
}
}  // namespace

namespace quilmark::test {
FailAllocations::FailAllocations(size_t from) : previous_(fail_from) { fail_from = from; }
FailAllocations::~FailAllocations() { fail_from = previous_; }
}  // namespace quilmark::test

// Every form that allocates or frees through malloc, so that a sanitizer sees
// matching pairs.
void* operator new(size_t size) { return Allocate(size); }
void* operator new[](size_t size) { return Allocate(size); }
void* operator new(size_t size, const std::nothrow_t&) noexcept {
  try {
    return Allocate(size);
  } catch (const std::bad_alloc&) {
    return nullptr;
  }
}
void* operator new[](size_t size, const std::nothrow_t& tag) noexcept { return operator new(size, tag); }
void operator delete(void* p) noexcept { std::free(p); }
void operator delete[](void* p) noexcept { std::free(p); }
void operator delete(void* p, size_t) noexcept { std::free(p); }
void operator delete[](void* p, size_t) noexcept { std::free(p); }
void operator delete(void* p, const std::nothrow_t&) noexcept { std::free(p); }
void operator delete[](void* p, const std::nothrow_t&) noexcept { std::free(p); }
