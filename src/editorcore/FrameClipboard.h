// Frames on the clipboard: written as a GAF file of one animation, so that
// another editor window (another process) reads them back with the file
// reader and its limits, whatever the clipboard holds.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "document/classGAF.h"

namespace quilmark {

// The clipboard's own format.
inline constexpr const char* kFramesMimeType = "application/x-quilmark-frames";

// The frames' bytes, written through a scratch file in folder (removed
// again). False, with why, when it could not be written.
bool FramesToBytes(const std::vector<FramePtr>& frames, const std::string& folder, std::vector<uint8_t>& bytes,
                   std::string* why = nullptr);

// The frames the bytes hold, new objects of their own; empty, with why, when
// they hold none (damaged bytes or another format).
std::vector<FramePtr> FramesFromBytes(const uint8_t* data, size_t size, std::string* why = nullptr);

}  // namespace quilmark
