// Any bytes as a folder's manifest: refused with a message, or read into a
// manifest that keeps the limits every reader of it relies on.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <unordered_set>

#include "document/Collection.h"
#include "images/Manifest.h"

namespace {

void Check(const quilmark::ManifestFrame& frame, size_t depth) {
  if (depth > 65 || frame.subframes.size() > 255) __builtin_trap();
  if (frame.width < 0 || frame.height < 0 || frame.width > 32767 || frame.height > 32767) __builtin_trap();
  if (frame.x < -32768 || frame.x > 32767 || frame.y < -32768 || frame.y > 32767) __builtin_trap();
  // An image, or subframes, or nothing to draw.
  if (frame.image && !frame.subframes.empty()) __builtin_trap();
  if (!frame.image && frame.subframes.empty() && frame.width > 0 && frame.height > 0) __builtin_trap();
  if (frame.path.empty()) __builtin_trap();
  for (const auto& sub : frame.subframes) Check(sub, depth + 1);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  quilmark::Manifest manifest;
  std::string error;
  if (!quilmark::ParseManifest(std::string_view(reinterpret_cast<const char*>(data), size), manifest, error)) {
    if (error.empty()) __builtin_trap();
    return 0;
  }
  std::unordered_set<std::string> names;
  for (const auto& animation : manifest.animations) {
    if (!names.insert(quilmark::FoldCase(animation.name)).second) __builtin_trap();
    if (animation.frames.size() > 32767) __builtin_trap();
    for (const auto& frame : animation.frames) Check(frame, 0);
  }
  return 0;
}
