// One animation of a document (a "sequence" to the user): a name, its frames in
// playing order and the Animate flag.
#pragma once

#include <cstdint>
#include <memory>
#include <algorithm>
#include <string>
#include <string_view>

#include "document/Collection.h"
#include "document/classGAFFrame.h"

namespace quilmark {

// A file holds the first 32 bytes of an animation's name (up to a 0 byte):
// the name a save keeps, and so the one to compare before adding a name.
inline constexpr size_t kStoredNameBytes = 32;
inline std::string StoredName(std::string_view name) {
  return std::string(name.substr(0, std::min(name.find('\0'), kStoredNameBytes)));
}

class classGAFAnimation {
 public:
  // 8-bit text. Setting it does not re-key the animation in its document.
  std::string Name;
  Collection<classGAFFrame> Frames;
  bool Animated = false;

  // Reads one animation entry, its frame table and its frames at the input's
  // position. Whatever was read before a failure stays in the animation; false
  // only when not even the entry could be read.
  bool Load(GafInput& in);
  bool Save(GafOutput& out) const;

  // The largest Width (Height) of the frames and their first-level subframes;
  // 0 for an animation without frames, never below 0.
  int32_t GetMaxWidth() const;
  int32_t GetMaxHeight() const;
};

using AnimationPtr = std::shared_ptr<classGAFAnimation>;

}  // namespace quilmark
