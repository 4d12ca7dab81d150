// Memory for the pixels of the frames one load makes.
//
// A buffer per frame costs the system a fresh mapping, and a page fault per
// 4 KiB page, for every frame. The arena instead has memory in few, large
// blocks, starts large ones on a huge page and asks the system to back them
// with huge pages, so that the first touch of 2 MiB of pixels costs one page
// fault instead of 512. Stretches are handed out in order and never given
// back: a block lives as long as a frame keeps a stretch of it
// (FramePixels.h).
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>

#include "document/FramePixels.h"

namespace quilmark {

class PixelArena {
 public:
  // A stretch of size bytes (size > 0) for one frame: from the current block,
  // or else from a new block of block_size bytes, or, when that much cannot
  // be had, of size bytes. False, with into untouched and nothing thrown,
  // when not even that can be had. The stretch's bytes are unset.
  bool Take(size_t size, size_t block_size, FramePixels& into);

  // Bytes handed out so far.
  uint64_t Taken() const { return taken_; }

 private:
  bool NewBlock(size_t size);

  // The block and the start of its stretches.
  std::shared_ptr<uint8_t> block_;
  uint8_t* base_ = nullptr;
  size_t capacity_ = 0;
  size_t used_ = 0;
  uint64_t taken_ = 0;
};

}  // namespace quilmark
