// Running out of memory on demand: this test program replaces the global
// operator new, and while a FailAllocations object lives, every allocation of
// at least its size made on this thread throws std::bad_alloc, as it would on
// a machine that has no more memory to give.
#pragma once

#include <cstddef>

namespace quilmark::test {

class FailAllocations {
 public:
  explicit FailAllocations(size_t from);
  ~FailAllocations();
  FailAllocations(const FailAllocations&) = delete;
  FailAllocations& operator=(const FailAllocations&) = delete;

 private:
  size_t previous_;
};

}  // namespace quilmark::test
