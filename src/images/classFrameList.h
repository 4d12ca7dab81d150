// The bitmap files chosen for one frame of a sequence being built: the file
// that started the frame and the ordered files that make up its images.
// Holds path strings only; it never touches the file system.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace quilmark {

class classFrameList {
 public:
  // The path of the file that started the frame; "" for a list without a
  // frame. Only Create and Initialize change it.
  std::string Name;

  // The most entries a list holds: indices are 16-bit.
  static constexpr int32_t MaxEntries = 32767;

  // Name becomes "" and the entries a single empty slot.
  void Initialize();
  // The number of non-empty entries.
  int32_t FrameCount() const;
  // Appends the path in a new slot. False (and no change) when the list is full.
  bool AddFrame(const std::string& Buffer);
  // Initialize, then the list of a new frame started by the file.
  void Create(const std::string& Filename);
  // Blanks the entry in place, so every other entry keeps its index. An index
  // outside the list changes nothing.
  void RemoveFrame(int16_t Index);
  // Calls addLine once per non-empty entry, in index order, with the file name
  // without its folder (the text after the last "/") and the entry's index.
  void CreateFrameList(const std::function<void(const std::string& text, int16_t index)>& addLine) const;
  // Replaces Buffer by the non-empty entries, packed, in the order they were added.
  void GetFrames(std::vector<std::string>& Buffer) const;
  std::vector<std::string> GetFrames() const;

 private:
  std::vector<std::string> Entries;
};

}  // namespace quilmark
