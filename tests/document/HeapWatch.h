// Heap accounting for the tests. A test program that links HeapWatch.cpp
// replaces the global operator new and delete, so that a test can see how far
// the live heap grew during a call, and can make every request above a size
// fail as an exhausted heap would, without exhausting the machine's memory.
#pragma once

#include <cstddef>
#include <cstdint>

namespace quilmark::test {

class HeapWatch {
 public:
  // Requests of more than limit bytes throw std::bad_alloc while this lives.
  explicit HeapWatch(size_t limit = SIZE_MAX);
  ~HeapWatch();
  HeapWatch(const HeapWatch&) = delete;
  HeapWatch& operator=(const HeapWatch&) = delete;

  // The most bytes that were live at once since construction, beyond those
  // live at construction.
  size_t PeakGrowth() const;
  // The largest single request since construction, granted or not.
  size_t LargestRequest() const;
  // Bytes live now beyond those live at construction.
  size_t LiveGrowth() const;

 private:
  size_t base_;
};

}  // namespace quilmark::test
