// Frames moved as a group: the selected ones, in their order, put into the
// gap before the item at gap (count: after the last); the others keep theirs.
#pragma once

#include <cstddef>
#include <vector>

namespace quilmark {

template <typename T>
std::vector<T> MovedOrder(const std::vector<T>& items, const std::vector<bool>& selected, size_t gap) {
  std::vector<T> before, moved, after;
  for (size_t i = 0; i < items.size(); ++i) {
    if (i < selected.size() && selected[i]) {
      moved.push_back(items[i]);
    } else {
      (i < gap ? before : after).push_back(items[i]);
    }
  }
  before.insert(before.end(), moved.begin(), moved.end());
  before.insert(before.end(), after.begin(), after.end());
  return before;
}

}  // namespace quilmark
