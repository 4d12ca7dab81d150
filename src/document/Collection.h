// Ordered, 1-based collections of shared objects.
//
// The document hands out the very objects its collections hold (the editor's
// current animation is the one in the document), so items are shared_ptrs.
// Positions are 1-based throughout the editor; the translation to 0-based
// storage lives here and nowhere else.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_set>
#include <vector>

namespace quilmark {

// Folds ASCII and Latin-1 letters to lower case, byte by byte. Names are 8-bit
// text; the game's code page is Latin-1 for its letters.
std::string FoldCase(std::string_view text);
bool KeysEqual(std::string_view a, std::string_view b);

template <class T>
class Collection {
 public:
  using Ptr = std::shared_ptr<T>;

  int Count() const { return static_cast<int>(items_.size()); }
  bool IsEmpty() const { return items_.empty(); }

  // The item at 1-based position index, or nullptr when there is none.
  Ptr Item(int index) const {
    if (index < 1 || index > Count()) return nullptr;
    return items_[static_cast<size_t>(index - 1)];
  }
  void Add(Ptr item) { items_.push_back(std::move(item)); }
  // Removes the item at 1-based position index; later items move up one.
  bool Remove(int index) {
    if (index < 1 || index > Count()) return false;
    items_.erase(items_.begin() + (index - 1));
    return true;
  }
  // 1-based position of the very object, 0 when it is not held.
  int IndexOf(const T* item) const {
    for (size_t i = 0; i < items_.size(); ++i)
      if (items_[i].get() == item) return static_cast<int>(i) + 1;
    return 0;
  }
  void Clear() { items_.clear(); }

  // Every item in order; Assign makes the collection hold exactly these.
  const std::vector<Ptr>& Items() const { return items_; }
  void Assign(std::vector<Ptr> items) { items_ = std::move(items); }

  auto begin() const { return items_.begin(); }
  auto end() const { return items_.end(); }

 private:
  std::vector<Ptr> items_;
};

// A collection whose items also carry a string key. Keys compare without regard
// to letter case; adding under a key that is present fails and changes nothing.
template <class T>
class KeyedCollection {
 public:
  using Ptr = std::shared_ptr<T>;

  int Count() const { return static_cast<int>(items_.size()); }
  bool IsEmpty() const { return items_.empty(); }

  Ptr Item(int index) const {
    if (index < 1 || index > Count()) return nullptr;
    return items_[static_cast<size_t>(index - 1)];
  }
  // The key the item at 1-based position index was added under.
  std::string Key(int index) const {
    if (index < 1 || index > Count()) return {};
    return keys_[static_cast<size_t>(index - 1)];
  }
  bool Contains(std::string_view key) const { return folded_.count(FoldCase(key)) != 0; }
  // 1-based position of the item under key, 0 when there is none.
  int IndexOfKey(std::string_view key) const {
    if (!Contains(key)) return 0;
    for (size_t i = 0; i < keys_.size(); ++i)
      if (KeysEqual(keys_[i], key)) return static_cast<int>(i) + 1;
    return 0;
  }
  int IndexOf(const T* item) const {
    for (size_t i = 0; i < items_.size(); ++i)
      if (items_[i].get() == item) return static_cast<int>(i) + 1;
    return 0;
  }
  Ptr Find(std::string_view key) const { return Item(IndexOfKey(key)); }

  // Appends item under key; false (and no change) when the key is present.
  bool Add(Ptr item, std::string_view key) {
    if (!folded_.insert(FoldCase(key)).second) return false;
    items_.push_back(std::move(item));
    keys_.emplace_back(key);
    return true;
  }
  bool Remove(int index) {
    if (index < 1 || index > Count()) return false;
    const size_t i = static_cast<size_t>(index - 1);
    folded_.erase(FoldCase(keys_[i]));
    items_.erase(items_.begin() + static_cast<std::ptrdiff_t>(i));
    keys_.erase(keys_.begin() + static_cast<std::ptrdiff_t>(i));
    return true;
  }
  bool Remove(std::string_view key) { return Remove(IndexOfKey(key)); }
  void Clear() {
    items_.clear();
    keys_.clear();
    folded_.clear();
  }

  // Every item with its key, in order; Assign makes the collection hold
  // exactly these, or fails and changes nothing when two keys are equal.
  struct Entry {
    std::string key;
    Ptr item;
  };
  std::vector<Entry> Entries() const {
    std::vector<Entry> entries;
    entries.reserve(items_.size());
    for (size_t i = 0; i < items_.size(); ++i) entries.push_back({keys_[i], items_[i]});
    return entries;
  }
  bool Assign(const std::vector<Entry>& entries) {
    std::unordered_set<std::string> folded;
    for (const Entry& e : entries)
      if (!folded.insert(FoldCase(e.key)).second) return false;
    items_.clear();
    keys_.clear();
    for (const Entry& e : entries) {
      items_.push_back(e.item);
      keys_.push_back(e.key);
    }
    folded_ = std::move(folded);
    return true;
  }

  auto begin() const { return items_.begin(); }
  auto end() const { return items_.end(); }

 private:
  std::vector<Ptr> items_;
  std::vector<std::string> keys_;
  std::unordered_set<std::string> folded_;
};

}  // namespace quilmark
